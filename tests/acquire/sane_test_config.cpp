// Points SANE at the test folder's own configuration before any test runs. SANE reads
// SANE_CONFIG_DIR once per process, so each configuration has its own test program.
#include <cstdlib>

namespace {

const bool kConfigured = [] {
    setenv("SANE_CONFIG_DIR", SANE_TEST_CONFIG_DIR, 1);
    return true;
}();

} // namespace
