// Loading and saving XML files.
#include "core/xml_file.h"

#include <cerrno>
#include <fstream>
#include <system_error>

pugi::xml_parse_result gf_loadXmlFile(pugi::xml_document& document, const std::filesystem::path& path,
                                      unsigned int options)
{
    return document.load_file(path.c_str(), options);
}

std::string gf_xmlLoadFailure(const pugi::xml_parse_result& result, const std::filesystem::path& path)
{
    if (result.status != pugi::status_file_not_found) {
        return result.description();
    }
    std::error_code error;
    const bool exists = std::filesystem::exists(path, error);
    if (error) {
        return error.message();
    }
    if (!exists) {
        return result.description();
    }
    errno = 0;
    const std::ifstream opened(path, std::ios::binary);
    if (!opened && errno != 0) {
        return std::generic_category().message(errno);
    }
    return "File could not be opened";
}

bool gf_saveXmlFile(pugi::xml_document& document, const std::filesystem::path& path)
{
    while (document.first_child().type() == pugi::node_declaration) {
        document.remove_child(document.first_child());
    }
    pugi::xml_node declaration = document.prepend_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";

    std::filesystem::path temporary = path;
    temporary += ".tmp";
    std::error_code error;
    if (!document.save_file(temporary.c_str(), "  ", pugi::format_indent, pugi::encoding_utf8)) {
        std::filesystem::remove(temporary, error);
        return false;
    }
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        return false;
    }
    return true;
}
