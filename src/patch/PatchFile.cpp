#include "patch/PatchFile.h"

#include "patch/BpsPatch.h"
#include "patch/IpsPatch.h"

#include <string_view>

namespace kinfold {

std::variant<AppliedPatch, std::string> applyPatch(std::span<const std::uint8_t> patch,
                                                   std::span<const std::uint8_t> source) {
    const std::string_view start(reinterpret_cast<const char*>(patch.data()), std::min<std::size_t>(patch.size(), 5));
    AppliedPatch applied;
    std::variant<std::vector<std::uint8_t>, std::string> result;
    if (start.starts_with("PATCH")) {
        applied.kind = PatchKind::Ips;
        result = applyIps(patch, source);
    } else if (start.starts_with("BPS1")) {
        applied.kind = PatchKind::Bps;
        result = applyBps(patch, source);
    } else {
        return std::string("it is neither an IPS patch (which starts with \"PATCH\") nor a BPS patch (\"BPS1\")");
    }
    if (auto* reason = std::get_if<std::string>(&result)) return std::move(*reason);
    applied.output = std::move(std::get<std::vector<std::uint8_t>>(result));
    return applied;
}

}  // namespace kinfold
