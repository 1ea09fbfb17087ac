#pragma once
// Just enough JSON reading for the tests: recordings.json and the lines the
// command-line decoder prints. Throws std::runtime_error on malformed text,
// including text that is not UTF-8 and raw control characters in strings.
#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace veltrin::test {

struct Json {
    enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
    bool boolean = false;
    double number = 0.0;
    std::string text;
    std::vector<Json> items;
    std::map<std::string, Json> fields;

    const Json& operator[](const std::string& key) const
    {
        auto it = fields.find(key);
        if (kind != Object || it == fields.end())
            throw std::runtime_error("no key " + key);
        return it->second;
    }
    bool has(const std::string& key) const { return kind == Object && fields.count(key) != 0; }
    long asInt() const { return static_cast<long>(number); }

    static Json parse(const std::string& s)
    {
        if (!wellFormedUtf8(s))
            throw std::runtime_error("not UTF-8");
        std::size_t p = 0;
        Json v = parseValue(s, p);
        skip(s, p);
        if (p != s.size())
            throw std::runtime_error("trailing text");
        return v;
    }

private:
    // Shortest forms only, no surrogates, nothing beyond U+10FFFF.
    static bool wellFormedUtf8(const std::string& s)
    {
        for (std::size_t i = 0; i < s.size();) {
            const auto c = static_cast<unsigned char>(s[i]);
            const int n = c < 0x80 ? 0 : c >= 0xC2 && c <= 0xDF ? 1 : c >= 0xE0 && c <= 0xEF ? 2
                                                                 : c >= 0xF0 && c <= 0xF4 ? 3 : -1;
            if (n < 0 || (n > 0 && i + static_cast<std::size_t>(n) >= s.size()))
                return false;
            unsigned char low = 0x80, high = 0xBF;  // bounds of the second byte
            if (c == 0xE0) low = 0xA0;
            if (c == 0xED) high = 0x9F;
            if (c == 0xF0) low = 0x90;
            if (c == 0xF4) high = 0x8F;
            for (int k = 1; k <= n; ++k) {
                const auto d = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
                if (d < (k == 1 ? low : 0x80) || d > (k == 1 ? high : 0xBF))
                    return false;
            }
            i += static_cast<std::size_t>(n) + 1;
        }
        return true;
    }
    static void skip(const std::string& s, std::size_t& p)
    {
        while (p < s.size() && (s[p] == ' ' || s[p] == '\n' || s[p] == '\r' || s[p] == '\t'))
            ++p;
    }
    static void expect(const std::string& s, std::size_t& p, char c)
    {
        skip(s, p);
        if (p >= s.size() || s[p] != c)
            throw std::runtime_error(std::string("expected ") + c);
        ++p;
    }
    static std::string parseString(const std::string& s, std::size_t& p)
    {
        expect(s, p, '"');
        std::string out;
        while (p < s.size() && s[p] != '"') {
            char c = s[p++];
            if (static_cast<unsigned char>(c) < 0x20)
                throw std::runtime_error("raw control character in a string");
            if (c == '\\') {
                if (p >= s.size())
                    break;
                char e = s[p++];
                switch (e) {
                case 'n': out += '\n'; break;
                case 't': out += '\t'; break;
                case 'r': out += '\r'; break;
                case 'u': {
                    if (p + 4 > s.size())
                        throw std::runtime_error("bad escape");
                    out += static_cast<char>(std::strtol(s.substr(p, 4).c_str(), nullptr, 16));
                    p += 4;
                    break;
                }
                default: out += e;
                }
            } else {
                out += c;
            }
        }
        if (p >= s.size())
            throw std::runtime_error("unterminated string");
        ++p;
        return out;
    }
    static Json parseValue(const std::string& s, std::size_t& p)
    {
        skip(s, p);
        if (p >= s.size())
            throw std::runtime_error("unexpected end");
        Json v;
        const char c = s[p];
        if (c == '{') {
            v.kind = Object;
            ++p;
            skip(s, p);
            if (p < s.size() && s[p] == '}') {
                ++p;
                return v;
            }
            for (;;) {
                std::string key = parseString(s, p);
                expect(s, p, ':');
                v.fields[key] = parseValue(s, p);
                skip(s, p);
                if (p < s.size() && s[p] == ',') {
                    ++p;
                    continue;
                }
                expect(s, p, '}');
                return v;
            }
        }
        if (c == '[') {
            v.kind = Array;
            ++p;
            skip(s, p);
            if (p < s.size() && s[p] == ']') {
                ++p;
                return v;
            }
            for (;;) {
                v.items.push_back(parseValue(s, p));
                skip(s, p);
                if (p < s.size() && s[p] == ',') {
                    ++p;
                    continue;
                }
                expect(s, p, ']');
                return v;
            }
        }
        if (c == '"') {
            v.kind = String;
            v.text = parseString(s, p);
            return v;
        }
        if (s.compare(p, 4, "true") == 0) {
            v.kind = Bool;
            v.boolean = true;
            p += 4;
            return v;
        }
        if (s.compare(p, 5, "false") == 0) {
            v.kind = Bool;
            p += 5;
            return v;
        }
        if (s.compare(p, 4, "null") == 0) {
            p += 4;
            return v;
        }
        char* end = nullptr;
        v.kind = Number;
        v.number = std::strtod(s.c_str() + p, &end);
        if (end == s.c_str() + p)
            throw std::runtime_error("bad value");
        p = static_cast<std::size_t>(end - s.c_str());
        return v;
    }
};

}  // namespace veltrin::test
