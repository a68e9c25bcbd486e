// --map auto: the mapping from the file's extension, and the SNES internal
// header's word on HiROM.
#include "pointers/MappingChoice.h"
#include "search/FileReader.h"
#include "search/SearchTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

namespace kinfold {
namespace {

using testing_support::TempFolder;

// An internal header at `at`: a map mode and a checksum with its complement,
// which match unless `broken`.
void placeHeader(std::vector<std::uint8_t>& image, std::size_t at, std::uint8_t mode, bool broken = false) {
    image[at + 0x15] = mode;
    const unsigned checksum = 0x1234;
    const unsigned complement = (checksum ^ 0xFFFF) ^ (broken ? 1 : 0);
    image[at + 0x1C] = static_cast<std::uint8_t>(complement);
    image[at + 0x1D] = static_cast<std::uint8_t>(complement >> 8);
    image[at + 0x1E] = static_cast<std::uint8_t>(checksum);
    image[at + 0x1F] = static_cast<std::uint8_t>(checksum >> 8);
}

struct ChoiceCase {
    const char* name;
    std::string fileName;
    std::size_t copier;  // bytes of a copier's header in front
    int loromMode;       // the map mode at 0x7FC0, -1 for no header there
    int hiromMode;       // the same at 0xFFC0
    bool hiromBroken;    // the HiROM header's checksum doesn't match
    std::optional<MappingKind> chosen;
};

class AutoMapping : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(AutoMapping, FollowsTheExtensionAndTheHeader) {
    const ChoiceCase& c = GetParam();
    std::vector<std::uint8_t> image(c.copier + 0x20000, 0);
    if (c.loromMode >= 0) placeHeader(image, c.copier + 0x7FC0, static_cast<std::uint8_t>(c.loromMode));
    if (c.hiromMode >= 0) placeHeader(image, c.copier + 0xFFC0, static_cast<std::uint8_t>(c.hiromMode), c.hiromBroken);
    TempFolder folder;
    FileReader reader;
    ASSERT_TRUE(reader.open(folder.write(c.fileName, image)));
    EXPECT_EQ(chooseMapping(c.fileName, reader), c.chosen);
}

INSTANTIATE_TEST_SUITE_P(
    Pointers, AutoMapping,
    ::testing::Values(ChoiceCase{"Gb", "a.gb", 0, -1, -1, false, MappingKind::Gb},
                      ChoiceCase{"GbcInCapitals", "A.GBC", 0, -1, -1, false, MappingKind::Gb},
                      ChoiceCase{"Nes", "a.nes", 0, -1, -1, false, MappingKind::Nes},
                      ChoiceCase{"Gba", "a.gba", 0, -1, -1, false, MappingKind::Gba},
                      ChoiceCase{"UnknownExtension", "a.bin", 0, -1, 0x21, false, std::nullopt},
                      ChoiceCase{"SfcWithoutHeaderIsLorom", "a.sfc", 0, -1, -1, false, MappingKind::SnesLorom},
                      ChoiceCase{"SfcSayingHirom", "a.sfc", 0, -1, 0x21, false, MappingKind::SnesHirom},
                      ChoiceCase{"SmcFastExHiromAfterACopierHeader", "a.smc", 512, -1, 0x35, false,
                                 MappingKind::SnesHirom},
                      ChoiceCase{"HiromHeaderWithABadChecksum", "a.sfc", 0, -1, 0x21, true, MappingKind::SnesLorom},
                      ChoiceCase{"LoromModeAtTheHiromPlace", "a.sfc", 0, -1, 0x20, false, MappingKind::SnesLorom},
                      ChoiceCase{"BothPlacesValidStaysLorom", "a.sfc", 0, 0x30, 0x21, false, MappingKind::SnesLorom}),
    [](const auto& info) { return std::string(info.param.name); });

// A HiROM header cut short by the end of the file does not count.
TEST(AutoMappingShortFile, IsLorom) {
    std::vector<std::uint8_t> image(0x10000, 0);
    placeHeader(image, 0xFFC0, 0x21);
    image.resize(0xFFDF);
    TempFolder folder;
    FileReader reader;
    ASSERT_TRUE(reader.open(folder.write("short.sfc", image)));
    EXPECT_EQ(chooseMapping("short.sfc", reader), MappingKind::SnesLorom);
}

// The mapping of an open file: the kind given or chosen, and the header its first bytes show.
struct FileMappingCase {
    const char* name;
    std::string fileName;
    std::size_t size;
    bool ines;  // the file starts with an iNES header's magic
    std::optional<MappingKind> given;
    int width;
    std::optional<MappingKind> kind;  // of the mapping, or of the refusal
    std::uint64_t header;             // of the mapping
    std::string refusal;              // empty for a mapping
};

class FileMapping : public ::testing::TestWithParam<FileMappingCase> {};

TEST_P(FileMapping, IsChosenAndPlacedOrRefused) {
    const FileMappingCase& c = GetParam();
    std::vector<std::uint8_t> bytes(c.size, 0);
    if (c.ines) {
        for (std::size_t i = 0; i < 4 && i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>("NES\x1A"[i]);
    }
    TempFolder folder;
    FileReader reader;
    const std::filesystem::path path = folder.write(c.fileName, bytes);
    ASSERT_TRUE(reader.open(path));
    PointerFormat format;
    format.kind = MappingKind::Gba;  // passed over
    format.width = c.width;
    const auto mapping = mappingOfFile(c.given, format, path, reader);
    if (c.refusal.empty() && c.kind) {
        ASSERT_TRUE(std::holds_alternative<PointerMapping>(mapping));
        const PointerMapping& m = std::get<PointerMapping>(mapping);
        EXPECT_EQ(m.kind(), *c.kind);
        EXPECT_EQ(m.headerSize(), c.header);
        EXPECT_EQ(m.width(), c.width == 0 ? defaultWidth(*c.kind) : c.width);
    } else {
        ASSERT_TRUE(std::holds_alternative<MappingRefusal>(mapping));
        EXPECT_EQ(std::get<MappingRefusal>(mapping).kind, c.kind);
        EXPECT_EQ(std::get<MappingRefusal>(mapping).reason, c.refusal);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pointers, FileMapping,
    ::testing::Values(
        FileMappingCase{"ByExtension", "a.gb", 0x8000, false, std::nullopt, 0, MappingKind::Gb, 0, ""},
        FileMappingCase{"GivenKindOverTheExtension", "a.gb", 0x8000, false, MappingKind::Linear, 16,
                        MappingKind::Linear, 0, ""},
        FileMappingCase{"InesHeaderRead", "a.nes", 0x4010, true, std::nullopt, 0, MappingKind::Nes, 16, ""},
        FileMappingCase{"InesHeaderOnAnyName", "a.bin", 0x4010, true, MappingKind::Nes, 0, MappingKind::Nes, 16, ""},
        FileMappingCase{"FileShorterThanAnInesHeader", "a.nes", 15, true, std::nullopt, 0, MappingKind::Nes, 0, ""},
        FileMappingCase{"CopierHeaderBySize", "a.smc", 0x8200, false, std::nullopt, 24, MappingKind::SnesLorom, 512,
                        ""},
        FileMappingCase{"EmptyFile", "a.gba", 0, false, std::nullopt, 0, MappingKind::Gba, 0, ""},
        FileMappingCase{"ExtensionOfNoMapping", "a.bin", 0x100, false, std::nullopt, 0, std::nullopt, 0, ""},
        FileMappingCase{"WidthTheChosenKindRefuses", "a.gba", 0x100, false, std::nullopt, 24, MappingKind::Gba, 0,
                        "The mapping gba takes pointers of 32 bits, not 24."},
        FileMappingCase{"WidthTheGivenKindRefuses", "a.gba", 0x100, false, MappingKind::Gb, 32, MappingKind::Gb, 0,
                        "The mapping gb takes pointers of 16 bits, not 32."}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kinfold
