// A small reader of C++ declarations: enough of the language to tell namespace-scope
// and function-static variables from functions, types and constants.
#include "support/state_scan.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <regex>
#include <sstream>

namespace testsupport {

namespace {

// Comments, literals' contents and preprocessor lines are blanked; line breaks stay so
// that line numbers hold. A string literal becomes "$", a character literal '$'.
std::string lf_blankNonCode(std::string_view source)
{
    std::string out;
    out.reserve(source.size());
    bool lineStart = true;
    for (std::size_t i = 0; i < source.size(); ++i) {
        const char c = source[i];
        const char next = i + 1 < source.size() ? source[i + 1] : '\0';
        if (lineStart && c == '#') {
            // A preprocessor line, with its continuations.
            while (i < source.size() && !(source[i] == '\n' && source[i - 1] != '\\')) {
                ++i;
            }
            out += '\n';
            continue;
        }
        if (c == '/' && next == '/') {
            while (i < source.size() && source[i] != '\n') {
                ++i;
            }
            out += '\n';
            lineStart = true;
            continue;
        }
        if (c == '/' && next == '*') {
            i += 2;
            while (i + 1 < source.size() && !(source[i] == '*' && source[i + 1] == '/')) {
                if (source[i] == '\n') {
                    out += '\n';
                }
                ++i;
            }
            ++i;
            out += ' ';
            continue;
        }
        if (c == 'R' && next == '"' && (i == 0 || !std::isalnum(static_cast<unsigned char>(source[i - 1])))) {
            const std::size_t open = source.find('(', i);
            // Appended piece by piece: GCC 12's optimiser warns falsely on ")" + std::string.
            std::string close(1, ')');
            close += source.substr(i + 2, open - i - 2);
            close += '"';
            const std::size_t end = source.find(close, open);
            for (std::size_t k = i; k < end + close.size(); ++k) {
                if (source[k] == '\n') {
                    out += '\n';
                }
            }
            out += "\"$\"";
            i = end + close.size() - 1;
            continue;
        }
        if (c == '"' || (c == '\'' && !(i > 0 && std::isxdigit(static_cast<unsigned char>(source[i - 1]))))) {
            std::size_t k = i + 1;
            while (k < source.size() && source[k] != c) {
                k += source[k] == '\\' ? 2 : 1;
            }
            out += c;
            out += '$';
            out += c;
            i = k;
            continue;
        }
        out += c;
        if (c == '\n') {
            lineStart = true;
        } else if (!std::isspace(static_cast<unsigned char>(c))) {
            lineStart = false;
        }
    }
    return out;
}

std::string lf_trim(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

std::vector<std::string> lf_words(std::string_view text)
{
    std::vector<std::string> words;
    std::string word;
    for (char c : text) {
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '_') {
            word += c;
        } else if (!word.empty()) {
            words.push_back(word);
            word.clear();
        }
    }
    if (!word.empty()) {
        words.push_back(word);
    }
    return words;
}

bool lf_hasWord(std::string_view text, std::string_view word)
{
    const auto words = lf_words(text);
    return std::find(words.begin(), words.end(), word) != words.end();
}

// Drops a leading template header and attributes.
std::string lf_stripPrefixes(std::string text)
{
    text = lf_trim(text);
    while (text.rfind("[[", 0) == 0) {
        text = lf_trim(text.substr(text.find("]]") + 2));
    }
    return text;
}

// The first character of the statement at bracket depth 0 that starts an initialiser,
// a parameter list or an array bound.
std::size_t lf_declaratorEnd(const std::string& text)
{
    int depth = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '<') {
            ++depth;
        } else if (c == '>' && depth > 0) {
            --depth;
        } else if (depth == 0 && (c == '=' || c == '(' || c == '{' || c == '[')) {
            return i;
        }
    }
    return text.size();
}

// The text with template argument lists taken out: "std::array<int, 7> a" -> "std::array a".
std::string lf_withoutTemplateArguments(std::string_view text)
{
    std::string out;
    int depth = 0;
    for (char c : text) {
        if (c == '<') {
            ++depth;
        } else if (c == '>' && depth > 0) {
            --depth;
        } else if (depth == 0) {
            out += c;
        }
    }
    return out;
}

// Call arguments start with literals or addresses; parameters with types (a default
// value after '=' aside).
bool lf_looksLikeArguments(std::string_view inside)
{
    const std::string text = lf_withoutTemplateArguments(inside);
    std::vector<std::string> items(1);
    int depth = 0;
    for (char c : text) {
        depth += (c == '(' || c == '{') ? 1 : (c == ')' || c == '}') ? -1 : 0;
        if (c == ',' && depth == 0) {
            items.emplace_back();
        } else {
            items.back() += c;
        }
    }
    static const std::regex literal(R"(^\s*(["'&{-]|[0-9]|true\b|false\b|nullptr\b))");
    return std::any_of(items.begin(), items.end(),
                       [](const std::string& item) { return std::regex_search(item, literal); });
}

// "Type name" -> "name" (with its qualification), empty when the head declares nothing.
std::string lf_declaredName(const std::string& head)
{
    static const std::regex name(R"(((?:[A-Za-z_]\w*::)*~?[A-Za-z_]\w*)\s*$)");
    std::smatch match;
    if (lf_words(head).size() < 2 || !std::regex_search(head, match, name)) {
        return {};
    }
    return match[1];
}

bool lf_isConstant(const std::string& declaration)
{
    const std::string head = lf_withoutTemplateArguments(declaration);
    if (lf_hasWord(head, "constexpr") || lf_hasWord(head, "consteval")) {
        return true;
    }
    if (!lf_hasWord(head, "const")) {
        return false;
    }
    // "const T* p" points at constants but is itself a variable; "T* const p" is not.
    const auto star = head.find('*');
    return star == std::string::npos || head.find("const", star) != std::string::npos;
}

const std::vector<std::string> kNotVariables = {"using",  "typedef", "static_assert", "extern", "friend",
                                                "namespace", "class", "struct", "union", "enum",
                                                "template", "return", "operator"};

// The name a namespace-scope statement defines, when it defines a variable.
std::string lf_namespaceVariable(const std::string& statement)
{
    const std::string text = lf_stripPrefixes(statement);
    const auto words = lf_words(text);
    if (words.empty() || std::find(kNotVariables.begin(), kNotVariables.end(), words.front()) != kNotVariables.end() ||
        lf_hasWord(text, "operator")) {
        return {};
    }
    const std::size_t end = lf_declaratorEnd(text);
    const std::string head = lf_trim(text.substr(0, end));
    if (lf_isConstant(head)) {
        return {};
    }
    if (end < text.size() && text[end] == '(') {
        const std::size_t close = text.rfind(')');
        if (!lf_looksLikeArguments(text.substr(end + 1, close - end - 1))) {
            return {}; // a function's declaration
        }
    }
    return lf_declaredName(head);
}

// The name a statement inside a function defines when it is a static variable.
std::string lf_functionStatic(const std::string& statement)
{
    const std::string text = lf_trim(statement);
    const auto words = lf_words(text);
    if (words.empty() || (words.front() != "static" && words.front() != "thread_local")) {
        return {};
    }
    const std::string head = lf_trim(text.substr(0, lf_declaratorEnd(text)));
    if (lf_isConstant(head)) {
        return {};
    }
    return lf_declaredName(head);
}

enum class Scope { Namespace, Class, Function, Init };

// What a '{' opens, seen from a namespace or class scope and the statement before it.
Scope lf_openedScope(const std::string& statement)
{
    const std::string text = lf_stripPrefixes(statement);
    const auto words = lf_words(text);
    if (lf_hasWord(text, "namespace") || (words.size() == 1 && words.front() == "extern")) {
        return Scope::Namespace;
    }
    if (text.empty() || text.front() == ',' || text.front() == ':') {
        return Scope::Function; // a block, or a constructor's member initialiser
    }
    const bool typeWord = !words.empty() && (words.front() == "class" || words.front() == "struct" ||
                                             words.front() == "union" || words.front() == "enum" ||
                                             (words.front() == "template" && (lf_hasWord(text, "class") ||
                                                                              lf_hasWord(text, "struct"))));
    const std::size_t end = lf_declaratorEnd(text);
    if (typeWord && (end == text.size() || text[end] != '(')) {
        return text.find('=') == std::string::npos ? Scope::Class : Scope::Init;
    }
    if (end < text.size() && text[end] == '(') {
        return Scope::Function;
    }
    return Scope::Init;
}

// The function a body belongs to: the name before its parameter list.
std::string lf_functionName(const std::string& statement)
{
    const std::string text = lf_stripPrefixes(statement);
    return lf_declaredName(lf_trim(text.substr(0, lf_declaratorEnd(text))));
}

class Scanner {
public:
    Scanner(std::string file) : file_(std::move(file)) {}

    std::vector<ScannedVariable> run(const std::string& code)
    {
        for (char c : code) {
            if (c == '\n') {
                ++line_;
            }
            switch (c) {
            case '{': open(); break;
            case '}': close(); break;
            case ';': endStatement(); break;
            default:
                if (top() != Scope::Init) {
                    add(c);
                }
                break;
            }
        }
        return std::move(found_);
    }

private:
    Scope top() const { return scopes_.empty() ? Scope::Namespace : scopes_.back(); }

    void add(char c)
    {
        if (statement_.empty() && std::isspace(static_cast<unsigned char>(c))) {
            return;
        }
        if (statement_.empty()) {
            statementLine_ = line_;
        }
        statement_ += std::isspace(static_cast<unsigned char>(c)) ? ' ' : c;
    }

    void open()
    {
        switch (top()) {
        case Scope::Init: scopes_.push_back(Scope::Init); break;
        case Scope::Function:
            if (!lf_functionStatic(statement_).empty()) {
                scopes_.push_back(Scope::Init);
            } else {
                scopes_.push_back(Scope::Function);
                statement_.clear();
            }
            break;
        case Scope::Namespace:
        case Scope::Class: {
            // A brace inside a call's parentheses is an argument's initialiser.
            const bool inParentheses =
                std::count(statement_.begin(), statement_.end(), '(') > std::count(statement_.begin(), statement_.end(), ')');
            const Scope opened = inParentheses ? Scope::Init : lf_openedScope(statement_);
            scopes_.push_back(opened);
            if (opened == Scope::Function && !statement_.empty() && statement_.front() != ',' &&
                statement_.front() != ':') {
                function_ = lf_functionName(statement_);
            }
            if (opened != Scope::Init) {
                statement_.clear();
            }
            break;
        }
        }
    }

    void close()
    {
        if (scopes_.empty()) {
            return;
        }
        const Scope closed = scopes_.back();
        scopes_.pop_back();
        if (closed == Scope::Init) {
            statement_ += "{}";
        } else {
            statement_.clear();
        }
    }

    void endStatement()
    {
        if (top() == Scope::Namespace) {
            note(lf_namespaceVariable(statement_), false);
        } else if (top() == Scope::Function) {
            const std::string name = lf_functionStatic(statement_);
            note(name.empty() ? name : function_ + "::" + name, true);
        }
        if (top() != Scope::Init) {
            statement_.clear();
        }
    }

    void note(const std::string& name, bool functionStatic)
    {
        if (!name.empty()) {
            found_.push_back({file_, statementLine_, name, functionStatic});
        }
    }

    std::string file_;
    int line_ = 1;
    int statementLine_ = 1;
    std::vector<Scope> scopes_;
    std::string statement_;
    std::string function_;
    std::vector<ScannedVariable> found_;
};

} // namespace

std::vector<ScannedVariable> scanStateVariables(std::string_view source, const std::string& file)
{
    return Scanner(file).run(lf_blankNonCode(source));
}

std::vector<ScannedVariable> scanStateVariablesIn(const std::filesystem::path& folder,
                                                  const std::vector<std::string>& skip)
{
    std::vector<ScannedVariable> all;
    for (auto it = std::filesystem::recursive_directory_iterator(folder);
         it != std::filesystem::recursive_directory_iterator(); ++it) {
        const auto& path = it->path();
        if (it->is_directory() && std::find(skip.begin(), skip.end(), path.filename().string()) != skip.end()) {
            it.disable_recursion_pending();
            continue;
        }
        if (path.extension() != ".cpp" && path.extension() != ".h") {
            continue;
        }
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        auto found = scanStateVariables(text.str(), std::filesystem::relative(path, folder).generic_string());
        all.insert(all.end(), found.begin(), found.end());
    }
    std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) {
        return std::tie(a.file, a.line) < std::tie(b.file, b.line);
    });
    return all;
}

} // namespace testsupport
