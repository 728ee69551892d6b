#include "db/Query.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/OutOfMemory.h"

namespace {

const unsigned kInitialCapacity = 128;

char* Allocate(size_t size) {
    char* buffer = static_cast<char*>(std::malloc(size));
    if (!buffer) {
        OutOfMemory();
    }
    return buffer;
}

// The length the expansion needs, without its terminating NUL.
size_t NeededLength(const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    return needed > 0 ? static_cast<size_t>(needed) : 0;
}

}  // namespace

struct Query::Body {
    char* text;
    unsigned capacity;
    unsigned references;
};

Query::Body* Query::NewBody(unsigned capacity) {
    Body* body = static_cast<Body*>(std::malloc(sizeof(Body)));
    if (!body) {
        OutOfMemory();
    }
    body->text = Allocate(capacity);
    body->text[0] = '\0';
    body->capacity = capacity;
    body->references = 1;
    return body;
}

Query::Query() : body(NewBody(kInitialCapacity)) {}

Query::Query(const char* format, ...) : Query() {
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

Query::Query(const Query& other) : body(other.body) {
    ++body->references;
}

Query& Query::operator=(const Query& other) {
    if (body != other.body) {
        ++other.body->references;
        Release();
        body = other.body;
    }
    return *this;
}

Query::~Query() {
    Release();
}

void Query::Release() {
    if (--body->references == 0) {
        std::free(body->text);
        std::free(body);
    }
    body = nullptr;
}

void Query::Detach() {
    if (body->references == 1) {
        return;
    }
    Body* own = NewBody(body->capacity);
    std::memcpy(own->text, body->text, std::strlen(body->text) + 1);
    Release();
    body = own;
}

void Query::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void Query::FormatV(const char* format, va_list args) {
    Detach();
    va_list first;
    va_copy(first, args);
    int needed = std::vsnprintf(body->text, body->capacity, format, first);
    va_end(first);
    if (needed < 0) {
        body->text[0] = '\0';
        return;
    }
    if (static_cast<unsigned>(needed) >= body->capacity) {
        std::free(body->text);
        body->capacity = static_cast<unsigned>(needed) + 1;
        body->text = Allocate(body->capacity);
        std::vsnprintf(body->text, body->capacity, format, args);
    }
}

void Query::Append(const char* format, ...) {
    va_list args;
    va_start(args, format);
    AppendV(format, args);
    va_end(args);
}

void Query::AppendV(const char* format, va_list args) {
    Detach();
    size_t addedLength = NeededLength(format, args);
    char* added = Allocate(addedLength + 1);
    std::vsnprintf(added, addedLength + 1, format, args);

    size_t currentLength = std::strlen(body->text);
    size_t wanted = currentLength + addedLength + 1;
    if (wanted > body->capacity) {
        // Doubling keeps a long run of appends (a statement per row) linear.
        size_t grown = 2 * wanted;
        char* text = static_cast<char*>(std::realloc(body->text, grown));
        if (!text) {
            OutOfMemory();
        }
        body->text = text;
        body->capacity = static_cast<unsigned>(grown);
    }
    std::memcpy(body->text + currentLength, added, addedLength + 1);
    std::free(added);
}

const char* Query::Text() const {
    return body->text;
}

bool Query::IsEmpty() const {
    return !body || body->text[0] == '\0';
}

unsigned Query::Capacity() const {
    return body->capacity;
}
