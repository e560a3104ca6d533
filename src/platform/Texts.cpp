#include "Texts.h"

#include "Resources.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

namespace {

int g_language = 0;

// Parses the compiled-in table once: "id<TAB>text" lines, '#' comments,
// "\n" in a text stands for a line break.
const std::map<int, std::string>& Table()
{
    static const std::map<int, std::string> table = [] {
        std::map<int, std::string> t;
        ResourceBlock block = StringTableBlock();
        std::string all(reinterpret_cast<const char*>(block.data), block.size);
        std::size_t pos = 0;
        while (pos < all.size()) {
            std::size_t eol = all.find('\n', pos);
            if (eol == std::string::npos)
                eol = all.size();
            std::string line = all.substr(pos, eol - pos);
            pos = eol + 1;
            if (line.empty() || line[0] == '#')
                continue;
            std::size_t tab = line.find('\t');
            if (tab == std::string::npos)
                continue;
            int id = std::atoi(line.substr(0, tab).c_str());
            std::string text;
            for (std::size_t i = tab + 1; i < line.size(); ++i) {
                if (line[i] == '\\' && i + 1 < line.size() && line[i + 1] == 'n') {
                    text += '\n';
                    ++i;
                } else {
                    text += line[i];
                }
            }
            t[id] = text;
        }
        return t;
    }();
    return table;
}

} // namespace

void SetLanguage(int language) { g_language = language != 0 ? 1 : 0; }

int Language() { return g_language; }

std::string LoadTextIn(int id, int language)
{
    const auto& t = Table();
    auto it = t.find(language != 0 ? id + kRussianTextOffset : id);
    return it == t.end() ? std::string() : it->second;
}

std::string LoadText(int id) { return LoadTextIn(id, g_language); }

std::string AppTitle() { return LoadTextIn(kIdsAppTitle, 0); }

std::string FormatTextV(int id, va_list args)
{
    std::string format = LoadText(id);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format.c_str(), copy);
    va_end(copy);
    if (n <= 0)
        return n == 0 ? std::string() : format;
    std::vector<char> buf(static_cast<std::size_t>(n) + 1);
    std::vsnprintf(buf.data(), buf.size(), format.c_str(), args);
    return std::string(buf.data(), static_cast<std::size_t>(n));
}

std::string FormatText(int id, ...)
{
    va_list args;
    va_start(args, id);
    std::string s = FormatTextV(id, args);
    va_end(args);
    return s;
}

std::string InsertArgument(const std::string& text, const std::string& arg)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == '1') {
            out += arg;
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}
