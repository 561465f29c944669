#include "Fakes.h"

namespace vesta::test {

ScreenInfo screen1024x768() {
    return ScreenInfo{1024 * 15.0, 768 * 15.0, 15.0, 15.0};
}

}  // namespace vesta::test
