// Linked into every test program: any of them may open the web browser window, whose engine
// must be prepared for before the application object exists, as the program's main() does.
#include "browser/browsermodule.h"

namespace {
// The arguments themselves are not used: the tests' environment turns the sandbox off.
const browsermodule::ApplicationArguments prepared(0, nullptr);
}
