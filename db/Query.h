// SQL text built printf-style. Copies share one buffer until one of them
// changes, which then takes a buffer of its own: a copy is an independent value.
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
    // A body of one reference with an empty text of capacity bytes.
    static Body* NewBody(unsigned capacity);
    void Release();
    // Gives this query a body of its own before it changes its text.
    void Detach();
};
