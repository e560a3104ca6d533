// JSON text output.
#include "JsonWriter.h"

#include <cstdio>

std::string JsonQuote(const std::string& value)
{
    std::string out = "\"";
    for (unsigned char c : value) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char esc[8];
                std::snprintf(esc, sizeof esc, "\\u%04x", c);
                out += esc;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

void CJsonWriter::Separate()
{
    if (needComma_)
        text_ += ", ";
    needComma_ = true;
}

CJsonWriter& CJsonWriter::BeginObject()
{
    Separate();
    text_ += '{';
    needComma_ = false;
    return *this;
}

CJsonWriter& CJsonWriter::EndObject()
{
    text_ += '}';
    needComma_ = true;
    return *this;
}

CJsonWriter& CJsonWriter::BeginArray()
{
    Separate();
    text_ += '[';
    needComma_ = false;
    return *this;
}

CJsonWriter& CJsonWriter::EndArray()
{
    text_ += ']';
    needComma_ = true;
    return *this;
}

CJsonWriter& CJsonWriter::Key(const std::string& name)
{
    Separate();
    text_ += JsonQuote(name) + ": ";
    needComma_ = false;
    return *this;
}

CJsonWriter& CJsonWriter::String(const std::string& value)
{
    Separate();
    text_ += JsonQuote(value);
    return *this;
}

CJsonWriter& CJsonWriter::Number(long long value)
{
    Separate();
    text_ += std::to_string(value);
    return *this;
}

CJsonWriter& CJsonWriter::Real(double value, int decimals)
{
    Separate();
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    text_ += text;
    return *this;
}

CJsonWriter& CJsonWriter::Bool(bool value)
{
    Separate();
    text_ += value ? "true" : "false";
    return *this;
}

CJsonWriter& CJsonWriter::Null()
{
    Separate();
    text_ += "null";
    return *this;
}
