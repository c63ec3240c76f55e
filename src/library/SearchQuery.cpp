#include "library/SearchQuery.h"

#include <vector>

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

// A term the tokenizer would find nothing in (only ASCII punctuation) would be an empty phrase, which matches
// no document and would empty every result; such terms are left out.
bool hasWordCharacter(std::string_view s) {
    for (unsigned char c : s)
        if (c >= 0x80 || (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z')) return true;
    return false;
}

// Inside a quoted string the index's tokenizer splits the text itself, so "LM317-T" becomes the phrase
// lm317 t. A term never holds a double quote: `parse` ends words and phrases at one.
std::string quoted(std::string_view s) { return "\"" + std::string(s) + '"'; }

struct Term {
    std::string text;
    bool phrase = false;
    bool prefix = false;
};

// The terms of `text`; `endsOpen` tells whether the last one runs to its end (is still being typed).
std::vector<Term> parse(std::string_view text, bool* endsOpenOut) {
    std::vector<Term> terms;
    size_t i = 0;
    bool endsOpen = false;  // the last term runs to the end of the text (still being typed)
    while (i < text.size()) {
        if (isBlank(text[i])) {
            ++i;
            continue;
        }
        Term term;
        if (text[i] == '"') {
            size_t close = text.find('"', i + 1);
            term.phrase = true;
            term.text = std::string(text.substr(i + 1, close == std::string_view::npos ? close : close - i - 1));
            endsOpen = close == std::string_view::npos;
            i = endsOpen ? text.size() : close + 1;
        } else {
            size_t end = i;
            while (end < text.size() && !isBlank(text[end]) && text[end] != '"') ++end;
            term.text = std::string(text.substr(i, end - i));
            endsOpen = end == text.size();
            i = end;
        }
        while (!term.phrase && !term.text.empty() && term.text.back() == '*') {
            term.text.pop_back();
            term.prefix = true;
        }
        if (i < text.size() && text[i] == '*') {  // "a phrase"* or a word directly before a quote
            term.prefix = true;
            while (i < text.size() && text[i] == '*') ++i;
        }
        if (hasWordCharacter(term.text)) terms.push_back(std::move(term));
        else endsOpen = false;
    }
    *endsOpenOut = endsOpen;
    return terms;
}

}  // namespace

std::vector<std::string> SearchQuery::terms(std::string_view text) {
    bool endsOpen;
    std::vector<std::string> out;
    for (auto& t : parse(text, &endsOpen)) out.push_back(std::move(t.text));
    return out;
}

std::string SearchQuery::toMatchExpression(std::string_view text, bool lastWordIsPrefix) {
    bool endsOpen;
    std::vector<Term> terms = parse(text, &endsOpen);
    if (lastWordIsPrefix && endsOpen && !terms.empty()) terms.back().prefix = true;

    std::string expression;
    for (const Term& t : terms) {
        if (!expression.empty()) expression += ' ';
        expression += quoted(t.text);
        if (t.prefix) expression += " *";
    }
    return expression;
}
