#include "cli/CliError.h"

#include "dsp/KorvaneError.h"

#include <new>
#include <ostream>

namespace korvane {

int CliError::ReportCurrent(std::ostream& err) {
    try {
        throw;
    } catch (const CliError& error) {
        err << error.what() << '\n';
        return error.status();
    } catch (const KorvaneError& error) {
        err << error.what() << '\n';
        return kFailure;
    } catch (const std::bad_alloc&) {
        err << "Memory allocation fails!\n";
        return kFailure;
    } catch (const std::exception& error) {
        err << "korvane-cli: " << error.what() << '\n';
        return kFailure;
    }
}

} // namespace korvane
