// The program's exception for faults the user must mend.
#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace vtx {

class UserErrorException : public std::exception {
public:
    // The text is "{code}: {message}", or the message alone for code 99.
    UserErrorException(int code, std::string_view message);

    const char* what() const noexcept override { return m_text.c_str(); }
    int code() const noexcept { return m_code; }

private:
    int m_code;
    std::string m_text;
};

} // namespace vtx
