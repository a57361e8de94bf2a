#include "tools/tool_file.h"

#include "platform/buffered_file.h"
#include "platform/error_report.h"
#include "platform/text_codec.h"

namespace {

void ReportUnreadable(const std::filesystem::path& path, int error, std::ostream& err) {
    err << "korvani-pgn: cannot read " << path.string() << ": "
        << EncodeUtf8(SystemErrorText(error)) << '\n';
}

}  // namespace

bool OpenForCommand(BufferedFile& file, const std::filesystem::path& path, std::ostream& err) {
    const int error = file.Open(path);
    if (error != 0) {
        ReportUnreadable(path, error, err);
        return false;
    }
    return true;
}

bool ReadWentWell(const BufferedFile& file, const std::filesystem::path& path, std::ostream& err) {
    if (file.Failed()) {
        ReportUnreadable(path, file.ReadError(), err);
        return false;
    }
    return true;
}
