#include "support/string.h"

#include <cstring>

namespace vorlix {

namespace {

// Outside text keeps at most MaxTaken characters; a text of exactly MaxTaken keeps all of them.
std::int32_t TakenLength(const char* text) {
    std::size_t length = std::strlen(text);
    if (length >= static_cast<std::size_t>(String::MaxTaken + 1)) return String::MaxTaken;
    return static_cast<std::int32_t>(length);
}

}  // namespace

String::String() {
    chars_[0] = 0;
}

String::String(const char* text) : String() {
    if (text != nullptr) Place(text, TakenLength(text));
}

// A copy takes the characters only: the chain belongs to the original.
String::String(const String& other) : String() {
    Place(other.chars_, other.Length());
}

String::~String() {
    // Unlinked one by one so a long chain cannot exhaust the stack.
    String* link = Next;
    Next = nullptr;
    while (link != nullptr) {
        String* following = link->Next;
        link->Next = nullptr;
        delete link;
        link = following;
    }
}

String& String::operator=(const String& other) {
    if (&other != this) Place(other.chars_, other.Length());
    return *this;
}

String String::Assign(const char* text) {
    if (text != nullptr) Place(text, TakenLength(text));
    return *this;
}

String String::Assign(const String* source) {
    if (source != nullptr && source != this) Place(source->chars_, source->Length());
    return *this;
}

// The text may lie inside this string's own buffer.
void String::Place(const char* text, std::int32_t length) {
    std::memmove(chars_, text, static_cast<std::size_t>(length));
    chars_[length] = 0;
}

std::int32_t String::Length() const {
    // Bounded by the buffer, so a string can never be read past its end.
    const void* end = std::memchr(chars_, 0, Capacity);
    if (end == nullptr) return Capacity - 1;
    return static_cast<std::int32_t>(static_cast<const char*>(end) - chars_);
}

const char* String::TextOrNull() const {
    return chars_[0] == 0 ? nullptr : chars_;
}

String& String::Append(const char* text) {
    if (text == nullptr) return *this;
    std::int32_t present = Length();
    if (present >= MaxTaken + 1) return *this;
    std::int32_t taken = TakenLength(text);
    if (present + taken >= MaxTaken + 1) taken = MaxTaken - present;
    std::memmove(chars_ + present, text, static_cast<std::size_t>(taken));
    chars_[present + taken] = 0;
    return *this;
}

String& String::Append(std::int32_t number) {
    char digits[12];  // "-2147483648" and its terminator
    char* cursor = digits + sizeof digits;
    *--cursor = 0;
    // Worked on the magnitude as unsigned, so the most negative number has one too.
    std::uint32_t magnitude =
        number < 0 ? 0u - static_cast<std::uint32_t>(number) : static_cast<std::uint32_t>(number);
    do {
        *--cursor = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (number < 0) *--cursor = '-';
    return Append(cursor);
}

const char* String::FindLast(const char* start, char c) const {
    if (start == nullptr) return start;
    const char* found = start;
    if (*start == 0) return found;
    for (const char* cursor = start + 1; *cursor != 0; ++cursor) {
        if (*cursor == c) found = cursor;
    }
    return found;
}

void String::CutExtension() {
    const char* dot = FindLast(chars_, '.');
    if (dot == chars_) return;
    chars_[dot - chars_] = 0;
}

}  // namespace vorlix
