#pragma once

#include <QByteArray>

// Stops the fuzzer with a report when a property does not hold.
#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition))                                                                                    \
            fuzzFailure(#condition, __FILE__, __LINE__);                                                     \
    } while (false)

[[noreturn]] void fuzzFailure(const char* condition, const char* file, int line);

// The plain reader and the general reader must agree wherever the plain one
// is sure: on well-formedness and on every start and end tag with its
// attributes.
void checkReadersAgree(const QByteArray& content);
