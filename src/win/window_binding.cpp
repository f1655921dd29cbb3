#include "win/window_binding.h"

#include <stdexcept>
#include <string>

namespace wallcine::win {

void RegisterWindowClassOnce(const WNDCLASSEXA& window_class) {
    WNDCLASSEXA existing{sizeof existing};
    if (::GetClassInfoExA(window_class.hInstance, window_class.lpszClassName, &existing)) return;
    if (!::RegisterClassExA(&window_class))
        throw std::runtime_error(std::string("Cannot register window class ") + window_class.lpszClassName);
}

}  // namespace wallcine::win
