#include "sounding/AtomicFile.h"

#include "dsp/KorvaneError.h"
#include "sounding/ReplacedFile.h"

#include <new>
#include <ostream>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace korvane {

namespace fs = std::filesystem;

namespace {

// Makes the rename itself durable; a failure here only weakens durability, never the data.
void SyncFolder(const fs::path& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

void AtomicFile::Write(const fs::path& path, const std::function<void(std::ostream&)>& produce,
                       const std::string& prefix, const Faults& faults) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (fs::is_directory(status))
        throw KorvaneError(prefix + path.string() + " is a folder.");
    unsigned mode = 0666;
    if (fs::is_regular_file(status))
        mode = static_cast<unsigned>(status.permissions() & fs::perms::mask);

    const fs::path temporary = ReplacedFile::TemporaryBeside(path, ".tmp");
    FileSink sink;
    if (!sink.Create(temporary, mode, faults.write))
        throw KorvaneError(prefix + sink.Error() + ".");

    std::string failure;
    try {
        std::ostream out(&sink);
        produce(out);
        out.flush();
        if (!out)
            failure = sink.Error().empty() ? "the data could not be written" : sink.Error();
        else if (faults.sync && !faults.sync())
            failure = "cannot flush the file to the disk (injected fault)";
        else if (!sink.Commit())
            failure = sink.Error();
        else if (faults.rename && !faults.rename())
            failure = "cannot replace " + path.string() + " (injected fault)";
        else if (fs::rename(temporary, path, ec); ec)
            failure = "cannot replace " + path.string() + " (" + ec.message() + ")";
    } catch (const KorvaneError&) {
        // The sink knows why the stream failed; other errors carry their own text.
        failure = sink.Error();
        if (failure.empty()) {
            fs::remove(temporary, ec);
            throw;
        }
    } catch (const std::bad_alloc&) {
        failure = "there is not enough memory";
    }
    if (!failure.empty()) {
        fs::remove(temporary, ec);
        throw KorvaneError(prefix + failure + ".");
    }
    SyncFolder(path.parent_path());
}

void AtomicFile::Write(const fs::path& path, std::string_view bytes, const std::string& prefix) {
    Write(
        path,
        [bytes](std::ostream& out) {
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        },
        prefix);
}

} // namespace korvane
