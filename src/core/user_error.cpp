#include "core/user_error.h"

#include <fmt/format.h>

namespace vtx {

UserErrorException::UserErrorException(int code, std::string_view message)
    : m_code(code), m_text(code == 99 ? std::string(message) : fmt::format("{}: {}", code, message))
{
}

} // namespace vtx
