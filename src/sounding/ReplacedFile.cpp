#include "sounding/ReplacedFile.h"

#include "dsp/KorvaneError.h"
#include "sounding/FileSink.h"

#include <atomic>
#include <string>
#include <system_error>

#include <unistd.h>

namespace korvane {

namespace fs = std::filesystem;

fs::path ReplacedFile::TemporaryBeside(const fs::path& target, std::string_view suffix) {
    static std::atomic<unsigned> counter{0};
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string name = ".";
    name += target.filename().string();
    name += '.';
    name += std::to_string(::getpid());
    name += '.';
    name += std::to_string(counter++);
    name += suffix;
    return folder / name;
}

void ReplacedFile::Write(const fs::path& path, std::string_view text) {
    std::error_code ec;
    if (fs::is_directory(path, ec))
        throw KorvaneError(path.string() + ": is a folder");
    const fs::path temporary = TemporaryBeside(path);
    FileSink sink;
    if (!sink.Create(temporary, 0666))
        throw KorvaneError(path.string() + ": " + sink.Error());
    std::string failure;
    if (sink.sputn(text.data(), static_cast<std::streamsize>(text.size())) !=
            static_cast<std::streamsize>(text.size()) ||
        !sink.Commit())
        failure = sink.Error().empty() ? "cannot write the file" : sink.Error();
    else if (fs::rename(temporary, path, ec); ec)
        failure = "cannot replace the file (" + ec.message() + ")";
    if (!failure.empty()) {
        fs::remove(temporary, ec);
        throw KorvaneError(path.string() + ": " + failure);
    }
}

} // namespace korvane
