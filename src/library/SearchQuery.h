#pragma once
#include <string>
#include <string_view>
#include <vector>

/// Turns what a user types into a search field into a full-text query the index understands, so no input can
/// make a syntax error or reach the query language's operators. Words must all occur (in any order); a word
/// ending in `*` matches as a prefix (`LM31*`); text in double quotes is a phrase ("dropout voltage"); part
/// numbers with punctuation (`LM317-T`) match as the sequence of their letters and digits, whatever joins them.
class SearchQuery {
public:
    SearchQuery() = delete;

    /// The index's query for `text`, or "" when it holds nothing to search for (blank, punctuation only). With
    /// `lastWordIsPrefix` the word still being typed (the last one, when the text does not end in a blank or a
    /// closing quote) matches as a prefix, for results as the user types.
    static std::string toMatchExpression(std::string_view text, bool lastWordIsPrefix = false);
    /// The words and phrases of `text` as plain strings, without quotes or `*`, for highlighting them in a page.
    static std::vector<std::string> terms(std::string_view text);
};
