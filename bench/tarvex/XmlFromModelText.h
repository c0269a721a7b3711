#pragma once
// The XML form of a non-linear model text of the power-flow workloads:
// declarations of the form "name = number" under Vars: and Params:, one
// equation per line under NLEs:, the model's eps and name attributes.
#include <fstream>
#include <sstream>
#include <string>

namespace bench
{
inline std::string escapeXml(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text)
    {
        switch (c)
        {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

inline std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The text of an attribute "key = value" or key = "value" on the Model line.
inline std::string modelAttribute(const std::string& line, const std::string& key)
{
    const auto at = line.find(key + " = ");
    if (at == std::string::npos)
        return {};
    std::size_t begin = at + key.size() + 3;
    if (line[begin] == '"')
        return line.substr(begin + 1, line.find('"', begin + 1) - begin - 1);
    const auto end = line.find_first_of(",]", begin);
    return trimmed(line.substr(begin, end - begin));
}

// An empty text when the model cannot be read.
inline std::string xmlFromModelText(const std::string& path)
{
    std::ifstream in(path);
    if (!in)
        return {};
    std::ostringstream xml;
    xml << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    std::string line;
    std::string section;
    auto close = [&]() {
        if (section == "Vars:")
            xml << "</Vars>\n";
        else if (section == "Params:")
            xml << "</Params>\n";
        else if (section == "NLEs:")
            xml << "</NLEqs>\n";
    };
    while (std::getline(in, line))
    {
        const std::string text = trimmed(line);
        if (text.rfind("Model [", 0) == 0)
        {
            xml << "<Model type=\"NR\" domain=\"real\" eps=\"" << modelAttribute(text, "eps") << "\" desc=\""
                << escapeXml(modelAttribute(text, "name")) << "\">\n";
            continue;
        }
        if (text == "Vars:" || text == "Params:" || text == "NLEs:" || text == "end")
        {
            close();
            section = text;
            xml << (text == "Vars:"     ? "<Vars>\n"
                    : text == "Params:" ? "<Params>\n"
                    : text == "NLEs:"   ? "<NLEqs>\n"
                                        : "");
            continue;
        }
        if (text.empty() || text.rfind("//", 0) == 0)
            continue;
        if (section == "NLEs:")
            xml << "<Eq fx=\"" << escapeXml(text) << "\"/>\n";
        else if (section == "Vars:" || section == "Params:")
        {
            const auto eq = text.find('=');
            xml << (section == "Vars:" ? "<Var" : "<Param") << " name=\"" << trimmed(text.substr(0, eq)) << "\" val=\""
                << trimmed(text.substr(eq + 1)) << "\"/>\n";
        }
    }
    xml << "</Model>\n";
    return xml.str();
}
} // namespace bench
