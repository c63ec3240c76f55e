#include "datasheets/NameCollator.h"

#include <unicode/ucol.h>
#include <unicode/uvernum.h>

#include <optional>

#include "platform/Log.h"
#include "platform/SystemLibrary.h"

namespace {

struct Collation {
    decltype(&::ucol_open) open;
    decltype(&::ucol_close) close;
    decltype(&::ucol_setAttribute) setAttribute;
    decltype(&::ucol_setStrength) setStrength;
    decltype(&::ucol_strcollUTF8) strcollUTF8;
};

// ICU's headers rename each function after the library's version (ucol_open is ucol_open_72): the names to look
// up are those the macros expand to.
#define ICU_NAME(function) ICU_STRING(function)
#define ICU_STRING(text) #text

const Collation* collation() {
    static SystemLibrary library("libicui18n.so." U_ICU_VERSION_SHORT);
    static const std::optional<Collation> functions = []() -> std::optional<Collation> {
        Collation c{};
        library.bind(c.open, ICU_NAME(ucol_open));
        library.bind(c.close, ICU_NAME(ucol_close));
        library.bind(c.setAttribute, ICU_NAME(ucol_setAttribute));
        library.bind(c.setStrength, ICU_NAME(ucol_setStrength));
        library.bind(c.strcollUTF8, ICU_NAME(ucol_strcollUTF8));
        if (library.ok()) return c;
        logLine("names are ordered byte by byte: cannot load ICU's collation: " + library.failure());
        return std::nullopt;
    }();
    return functions ? &*functions : nullptr;
}

}  // namespace

NameCollator::NameCollator() {
    const Collation* c = collation();
    UErrorCode status = U_ZERO_ERROR;
    if (c) collator_ = c->open(nullptr, &status);  // the user's locale
    if (!collator_) return;
    c->setAttribute(collator_, UCOL_NUMERIC_COLLATION, UCOL_ON, &status);
    c->setStrength(collator_, UCOL_SECONDARY);  // case aside
}

NameCollator::~NameCollator() {
    if (collator_) collation()->close(collator_);
}

bool NameCollator::less(const std::string& a, const std::string& b) const {
    if (!collator_) return a < b;
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult r = collation()->strcollUTF8(collator_, a.data(), int32_t(a.size()), b.data(),
                                                        int32_t(b.size()), &status);
    return U_FAILURE(status) || r == UCOL_EQUAL ? a < b : r == UCOL_LESS;
}
