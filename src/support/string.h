#pragma once
// The system's text type: single-byte characters in a fixed 256-byte buffer inside the object.
// Text copied in from outside is cut to 254 characters; nothing allocates for characters.
#include <cstdint>

namespace vorlix {

class String {
  public:
    static constexpr int Capacity = 256;
    static constexpr int MaxTaken = 254;

    String();
    String(const char* text);  // NOLINT: implicit, like the texts it stands for
    String(const String& other);
    ~String();  // frees the Next chain

    String& operator=(const String& other);
    String Assign(const char* text);      // null leaves the string unchanged
    String Assign(const String* source);  // null leaves the string unchanged

    std::int32_t Length() const;
    const char* Text() const { return chars_; }  // never null
    const char* TextOrNull() const;              // null when empty

    String& Append(const char* text);
    String& Append(std::int32_t number);

    void CutExtension();
    // Position of the last c after start, or start itself when there is none.
    const char* FindLast(const char* start, char c) const;

    String* Next = nullptr;  // owned chain of following strings

  private:
    void Place(const char* text, std::int32_t length);

    char chars_[Capacity];
};

}  // namespace vorlix
