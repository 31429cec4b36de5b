// user32's wsprintfW: a small printf without floating point whose output stops
// at 1024 units, terminator included.
#include "kxwin32.h"

#include <cstring>
#include <string>

namespace {

constexpr size_t kMaxOutput = 1024;

enum class Size { Default, Short, Long, Int64 };

struct Directive {
    bool left = false;
    bool zero = false;
    bool hexPrefix = false;
    size_t width = 0;
    bool hasPrecision = false;
    size_t precision = 0;
    Size size = Size::Default;
};

// Collects output and drops whatever would pass the last unit before the
// terminator.
class Output {
public:
    explicit Output(LPWSTR out) : out_(out) {}
    void Put(char16_t c)
    {
        if (length_ < kMaxOutput - 1) out_[length_++] = c;
    }
    void Put(const std::u16string& s)
    {
        for (char16_t c : s)
            Put(c);
    }
    void Pad(size_t count, char16_t c)
    {
        for (size_t i = 0; i < count; ++i)
            Put(c);
    }
    bool Full() const { return length_ >= kMaxOutput - 1; }
    int Finish()
    {
        out_[length_] = 0;
        return static_cast<int>(length_);
    }

private:
    LPWSTR out_;
    size_t length_ = 0;
};

size_t ParseNumber(LPCWSTR* p)
{
    size_t n = 0;
    while (**p >= u'0' && **p <= u'9') {
        n = n * 10 + static_cast<size_t>(**p - u'0');
        ++*p;
    }
    return n;
}

Directive ParseDirective(LPCWSTR* p)
{
    Directive directive;
    if (**p == u'-') {
        directive.left = true;
        ++*p;
    }
    if (**p == u'#') {
        directive.hexPrefix = true;
        ++*p;
    }
    if (**p == u'0') {
        directive.zero = true;
        ++*p;
    }
    directive.width = ParseNumber(p);
    if (**p == u'.') {
        ++*p;
        directive.hasPrecision = true;
        directive.precision = ParseNumber(p);
    }
    if (**p == u'l' || **p == u'w') {
        directive.size = Size::Long;
        ++*p;
    } else if (**p == u'h') {
        directive.size = Size::Short;
        ++*p;
    } else if ((*p)[0] == u'I' && (*p)[1] == u'6' && (*p)[2] == u'4') {
        directive.size = Size::Int64;
        *p += 3;
    }
    return directive;
}

void PutPadded(Output* out, const Directive& directive, const std::u16string& head, const std::u16string& body)
{
    size_t length = head.size() + body.size();
    size_t pad = directive.width > length ? directive.width - length : 0;
    if (directive.left) {
        out->Put(head);
        out->Put(body);
        out->Pad(pad, u' ');
    } else if (directive.zero) {
        // Zeros go between the sign or prefix and the digits.
        out->Put(head);
        out->Pad(pad, u'0');
        out->Put(body);
    } else {
        out->Pad(pad, u' ');
        out->Put(head);
        out->Put(body);
    }
}

std::u16string Digits(uint64_t value, unsigned base, bool upper)
{
    const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(set[value % base]));
        value /= base;
    } while (value);
    return digits;
}

void PutInteger(Output* out, const Directive& directive, char16_t type, va_list* args)
{
    bool isSigned = type == u'd' || type == u'i';
    uint64_t magnitude;
    bool negative = false;
    if (directive.size == Size::Int64) {
        uint64_t raw = va_arg(*args, uint64_t);
        negative = isSigned && static_cast<int64_t>(raw) < 0;
        magnitude = negative ? 0 - raw : raw;
    } else {
        // Windows' long is 32 bits wide, like int.
        unsigned raw = va_arg(*args, unsigned);
        if (directive.size == Size::Short) raw = isSigned ? static_cast<unsigned>(static_cast<int16_t>(raw)) : raw & 0xFFFF;
        negative = isSigned && static_cast<int>(raw) < 0;
        magnitude = negative ? 0u - raw : raw;
        magnitude &= 0xFFFFFFFFu;
    }
    bool hex = type == u'x' || type == u'X';
    std::u16string body = Digits(magnitude, hex ? 16 : 10, type == u'X');
    if (directive.hasPrecision && directive.precision > body.size()) body.insert(0, directive.precision - body.size(), u'0');
    std::u16string head;
    if (negative) head = u"-";
    if (hex && directive.hexPrefix) head = type == u'X' ? u"0X" : u"0x";
    PutPadded(out, directive, head, body);
}

void PutString(Output* out, const Directive& directive, bool narrow, va_list* args)
{
    std::u16string text;
    if (narrow) {
        const char* s = va_arg(*args, const char*);
        if (!s) s = "(null)";
        for (; *s; ++s)
            text.push_back(static_cast<unsigned char>(*s));
    } else {
        LPCWSTR s = va_arg(*args, LPCWSTR);
        text = s ? s : u"(null)";
    }
    if (directive.hasPrecision && directive.precision < text.size()) text.resize(directive.precision);
    PutPadded(out, directive, u"", text);
}

void PutChar(Output* out, const Directive& directive, bool narrow, va_list* args)
{
    unsigned raw = va_arg(*args, unsigned);
    char16_t c = narrow ? static_cast<char16_t>(raw & 0xFF) : static_cast<char16_t>(raw & 0xFFFF);
    PutPadded(out, directive, u"", std::u16string(1, c));
}

} // namespace

int wvsprintfW(LPWSTR out, LPCWSTR format, va_list args)
{
    if (!out) return 0;
    Output output(out);
    if (!format) return output.Finish();
    va_list ap;
    va_copy(ap, args);
    for (LPCWSTR p = format; *p && !output.Full();) {
        if (*p != u'%') {
            output.Put(*p++);
            continue;
        }
        ++p;
        if (*p == u'%') {
            output.Put(*p++);
            continue;
        }
        Directive directive = ParseDirective(&p);
        char16_t type = *p;
        if (!type) break;
        ++p;
        switch (type) {
        case u'd':
        case u'i':
        case u'u':
        case u'x':
        case u'X':
            PutInteger(&output, directive, type, &ap);
            break;
        case u's':
        case u'S':
            // In the wide version %s is wide and %S narrow; h and l override.
            PutString(&output, directive,
                      directive.size == Size::Short || (type == u'S' && directive.size != Size::Long), &ap);
            break;
        case u'c':
        case u'C':
            PutChar(&output, directive, directive.size == Size::Short || (type == u'C' && directive.size != Size::Long), &ap);
            break;
        default:
            // An unknown directive prints its letter and takes no argument.
            output.Put(type);
            break;
        }
    }
    va_end(ap);
    return output.Finish();
}

int wsprintfW(LPWSTR out, LPCWSTR format, ...)
{
    va_list args;
    va_start(args, format);
    int n = wvsprintfW(out, format, args);
    va_end(args);
    return n;
}
