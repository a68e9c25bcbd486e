#include "ScriptedPlatform.h"
#include "TestFiles.h"
#include "WindowDriving.h"

#include "shell/preview/ResultPreview.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace kinfold::test {
namespace {

struct KanaLinesCase {
    const char* name;
    QString text;
    QStringList lines;
};

class KanaStringEntry : public ::testing::TestWithParam<KanaLinesCase> {};

// The codes step as the games' kana do: さ く ら are places 10, 7 and 38 of the order.
TEST_P(KanaStringEntry, GivesTheGamesSteps) {
    Harness h;
    click(h.w().OptString);
    type(h.w().EnterStr, GetParam().text);
    click(h.w().AddStr);
    EXPECT_EQ(listLines(h.w()), GetParam().lines);
    EXPECT_TRUE(h.messages.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Table, KanaStringEntry,
                         ::testing::Values(KanaLinesCase{"Hiragana", "さくら", {"10250", "10247 (-3)", "10278 (+31)"}},
                                           KanaLinesCase{"Katakana", "カナ", {"10373", "10388 (+15)"}},
                                           KanaLinesCase{"HalfWidthKatakana", "ｱｲ", {"10368", "10369 (+1)"}},
                                           KanaLinesCase{"VoicedAfterBasic", "かが", {"10245", "10286 (+41)"}},
                                           KanaLinesCase{
                                               "PunctuationKeepsItsCodePoint", "あ、", {"10240", "12289 (+2049)"}},
                                           KanaLinesCase{"LatinUnchanged", "Aé", {"65", "233 (+168)"}}),
                         [](const auto& info) { return std::string(info.param.name); });

// The basic hiragana in the order the ROM below keeps them, from byte 0x50 on.
const QString kBasicHiragana =
    "あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをん";
constexpr int kHit = 300;

int gameByte(const QString& kana) { return 0x50 + static_cast<int>(kBasicHiragana.indexOf(kana)); }

TEST(KanaSearch, FindsAPlantedWordAndThePreviewDecodesIt) {
    Harness h;
    h.w().show();
    TestFolder folder;
    QByteArray bytes = filledBytes(1024);
    plant(bytes, kHit, {gameByte("さ"), gameByte("く"), gameByte("ら")});
    const QString rom = folder.write("rom.bin", bytes);
    click(h.w().OptString);
    type(h.w().EnterStr, "さくら");
    click(h.w().AddStr);
    search(h.w(), rom);
    ASSERT_EQ(resultLines(h.w()), QStringList{"300 (12C hex)"});

    h.w().Results->setCurrentIndex(h.w().Results->model()->index(0, 0));
    h.w().Results->setFocus();
    QTest::keyClick(h.w().Results, Qt::Key_Return);
    ResultPreview* p = h.w().resultPreview();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->PatternText->text(), "さくら");
    EXPECT_EQ(p->Shift->text(), "-10160 (-27B0 hex)");
    EXPECT_TRUE(p->KanaBlock->isChecked());
    EXPECT_FALSE(p->UpperBlock->isChecked());
    const QString dots(2, QChar(0xB7));
    EXPECT_EQ(p->TextView->toPlainText().mid(256 - 2, 7), dots + "さくら" + dots);

    QString expected;
    for (int i = 0; i < kBasicHiragana.size(); ++i) {
        expected += QString::number(0x50 + i, 16).toUpper() + "=" + kBasicHiragana[i] + "\n";
    }
    const QString table = folder.path("game.tbl");
    h.files.paths = {table};
    click(p->SaveTable);
    EXPECT_EQ(QString::fromUtf8(TestFolder::read(table)), expected);

    click(p->KanaBlock);  // the pattern's own kana stay
    h.files.paths = {table};
    h.messages.answers = {kAnswerYes};  // replace the table saved above
    click(p->SaveTable);
    EXPECT_EQ(QString::fromUtf8(TestFolder::read(table)), QString("57=く\n5A=さ\n76=ら\n"));
    EXPECT_EQ(h.messages.shown.size(), 1u);
}

}  // namespace
}  // namespace kinfold::test
