// A small writer of JSON text: objects, arrays, strings (escaped), numbers,
// booleans and null, with commas placed for the caller.
#pragma once
#include <string>

class CJsonWriter {
public:
    CJsonWriter& BeginObject();
    CJsonWriter& EndObject();
    CJsonWriter& BeginArray();
    CJsonWriter& EndArray();
    // The name of the next value inside an object.
    CJsonWriter& Key(const std::string& name);
    CJsonWriter& String(const std::string& value);
    CJsonWriter& Number(long long value);
    // A number with `decimals` digits after the point.
    CJsonWriter& Real(double value, int decimals);
    CJsonWriter& Bool(bool value);
    CJsonWriter& Null();
    const std::string& Text() const { return text_; }

private:
    void Separate();
    std::string text_;
    bool needComma_ = false;
};

// `value` as a JSON string literal, quotes included.
std::string JsonQuote(const std::string& value);
