#include "cli/PointersCommand.h"

#include "cli/FileCommand.h"
#include "cli/PointerPool.h"
#include "cli/PointersArguments.h"

namespace kinfold::cli {

int runPointers(int argc, const char* const* argv, std::ostream& out, std::ostream& err, bool errIsTerminal) {
    const auto read = readPointersCommand(argc, argv, out, err);
    if (const int* status = std::get_if<int>(&read)) {
        return *status;
    }
    const PointersCommand& command = std::get<PointersCommand>(read);
    return runOverFiles(command.folders, errIsTerminal, out, err,
                        [&command](const std::vector<FoundFile>& files, const OrderedOutput::Sink& sink,
                                   Progress& progress) { return findPointers(files, command, sink, progress); });
}

}  // namespace kinfold::cli
