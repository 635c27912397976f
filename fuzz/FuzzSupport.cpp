#include "FuzzSupport.h"

#include "support/EventRecorder.h"
#include "xml/Reader.h"

#include <cstdio>
#include <cstdlib>

void fuzzFailure(const char* condition, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: property failed: %s\n", file, line, condition);
    std::abort();
}

void checkReadersAgree(const QByteArray& content)
{
    EventRecorder plain;
    const xml::Reader::Verdict verdict = xml::Reader::readPlain(content, plain);
    // Qt's reader would compare every attribute with every other.
    if (verdict == xml::Reader::Verdict::Unsure || xml::Reader::beyondGeneralReader(content))
        return;
    EventRecorder general;
    const bool wellFormed = xml::Reader::readGeneral(content, general);
    FUZZ_CHECK(wellFormed == (verdict == xml::Reader::Verdict::WellFormed));
    if (wellFormed)
        FUZZ_CHECK(plain.events == general.events);
}
