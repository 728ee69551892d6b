// SQL text built printf-style. Copies share one buffer.
#pragma once

#include <cstdarg>

class Query {
  public:
    Query();
    explicit Query(const char* format, ...) __attribute__((format(printf, 2, 3)));
    Query(const Query& other);
    Query& operator=(const Query& other);
    virtual ~Query();

    // Replaces the text by the expansion of the format.
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void FormatV(const char* format, va_list args);
    // Appends the expansion of the format.
    void Append(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void AppendV(const char* format, va_list args);

    const char* Text() const;
    bool IsEmpty() const;
    unsigned Capacity() const;

  private:
    struct Body;
    Body* body;
    void Release();
};
