#include "win/com_error.h"

#include <cstdio>

namespace wallcine::win {

namespace {
std::string DescribeResult(HRESULT hr) {
    char text[64];
    std::snprintf(text, sizeof text, "COM call failed ($%08lX).", static_cast<unsigned long>(hr));
    return text;
}
}  // namespace

ComError::ComError(HRESULT hr) : wallcine::Exception(DescribeResult(hr)), hr_(hr) {}

}  // namespace wallcine::win
