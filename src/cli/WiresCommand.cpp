#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cli/BenchArguments.h"
#include "cli/Commands.h"
#include "platform/Log.h"
#include "platform/Resources.h"

namespace {

// Turns the wire document into plain text for a terminal: headings and paragraphs as wrapped lines, the table as
// aligned columns. It understands the plain HTML the document is written in, not HTML at large.
class DocumentText {
public:
    using Table = std::vector<std::vector<std::string>>;
    explicit DocumentText(std::string_view html) { parse(html); }
    std::string text() const { return out_; }
    /// The document's tables, each a list of rows of cell texts, the heading row first.
    const std::vector<Table>& tables() const { return tables_; }

private:
    void parse(std::string_view html) {
        size_t i = 0;
        while (i < html.size()) {
            if (html[i] == '<') {
                size_t end = html.find('>', i);
                if (end == std::string_view::npos) break;
                tag(html.substr(i + 1, end - i - 1), html, end + 1, i);
                continue;
            }
            if (html[i] == '&') {
                size_t end = html.find(';', i);
                if (end != std::string_view::npos && end - i < 10) {
                    text_ += entity(html.substr(i + 1, end - i - 1));
                    i = end + 1;
                    continue;
                }
            }
            char c = html[i++];
            text_ += (c == '\n' || c == '\r' || c == '\t') ? ' ' : c;
        }
        flushParagraph();
    }

    // Handles the tag `t` (without brackets) that ends just before `next`; sets `i` to where parsing goes on.
    void tag(std::string_view t, std::string_view html, size_t next, size_t& i) {
        std::string name;
        for (char c : t) {
            if (c == ' ' || (c == '/' && !name.empty())) break;
            name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        i = next;
        if (name == "head" || name == "style" || name == "title") {
            // Nothing of these is shown.
            size_t close = html.find("</" + name, next);
            i = close == std::string_view::npos ? html.size() : html.find('>', close) + 1;
        } else if (name == "h1" || name == "h2" || name == "p" || name == "/h1" || name == "/h2" || name == "/p") {
            heading_ = name == "/h1" || name == "/h2";
            flushParagraph();
        } else if (name == "br") {
            if (inCell_)
                text_ += ' ';
            else
                flushParagraph();
        } else if (name == "sup") {
            text_ += "^(";
        } else if (name == "/sup") {
            text_ += ')';
        } else if (name == "tr") {
            rows_.emplace_back();
        } else if (name == "td" || name == "th") {
            text_.clear();
            inCell_ = true;
        } else if ((name == "/td" || name == "/th") && !rows_.empty()) {
            rows_.back().push_back(collapse(text_));
            text_.clear();
            inCell_ = false;
        } else if (name == "/table") {
            flushTable();
        }
    }

    static std::string entity(std::string_view e) {
        static const std::pair<std::string_view, std::string_view> table[] = {
            {"nbsp", " "}, {"amp", "&"},  {"lt", "<"},      {"gt", ">"},  {"deg", "°"}, {"Oslash", "Ø"},
            {"sup2", "²"}, {"times", "×"}, {"minus", "−"}, {"middot", "·"}, {"ldquo", "“"}, {"rdquo", "”"}};
        for (const auto& [name, text] : table)
            if (name == e) return std::string(text);
        return "&" + std::string(e) + ";";
    }

    static std::string collapse(const std::string& s) {
        std::string out;
        for (char c : s) {
            if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
            out += c;
        }
        while (!out.empty() && out.back() == ' ') out.pop_back();
        return out;
    }

    // Characters on screen, counting each UTF-8 sequence once.
    static size_t width(const std::string& s) {
        size_t n = 0;
        for (unsigned char c : s) n += (c & 0xC0) != 0x80;
        return n;
    }

    void flushParagraph() {
        std::string words = collapse(text_);
        text_.clear();
        if (words.empty()) return;
        if (heading_ && !out_.empty()) out_ += '\n';
        std::string line;
        size_t start = 0;
        while (start < words.size()) {
            size_t space = words.find(' ', start);
            std::string word = words.substr(start, space == std::string::npos ? std::string::npos : space - start);
            start = space == std::string::npos ? words.size() : space + 1;
            if (!line.empty() && width(line) + 1 + width(word) > 100) {
                out_ += line + '\n';
                line.clear();
            }
            line += (line.empty() ? "" : " ") + word;
        }
        out_ += line + '\n';
        if (heading_) out_ += std::string(width(line), '=') + '\n';
        heading_ = false;
    }

    void flushTable() {
        std::vector<size_t> widths;
        for (const auto& row : rows_)
            for (size_t c = 0; c < row.size(); ++c) {
                if (widths.size() <= c) widths.push_back(0);
                widths[c] = std::max(widths[c], width(row[c]));
            }
        for (size_t r = 0; r < rows_.size(); ++r) {
            std::string line;
            for (size_t c = 0; c < rows_[r].size(); ++c) {
                // Numbers line up on the right; the first column, the gauge, too.
                line += std::string(widths[c] - width(rows_[r][c]) + (c == 0 ? 0 : 2), ' ') + rows_[r][c];
            }
            out_ += line + '\n';
            if (r == 0) {
                size_t total = 0;
                for (size_t w : widths) total += w + 2;
                out_ += std::string(total - 2, '-') + '\n';
            }
        }
        tables_.push_back(std::move(rows_));
        rows_.clear();
        text_.clear();
        out_ += '\n';
    }

    std::string out_, text_;
    Table rows_;
    std::vector<Table> tables_;
    bool heading_ = false;
    bool inCell_ = false;
};

// The load table as JSON: its column headings, then one row per gauge, the gauge as written and the figures as
// numbers.
nlohmann::ordered_json tableJson(const DocumentText::Table& table) {
    nlohmann::ordered_json out = {{"columns", table.empty() ? std::vector<std::string>() : table.front()},
                                  {"rows", nlohmann::ordered_json::array()}};
    for (size_t r = 1; r < table.size(); ++r) {
        nlohmann::ordered_json row = nlohmann::ordered_json::array();
        for (size_t c = 0; c < table[r].size(); ++c)
            row.push_back(c == 0 ? nlohmann::ordered_json(table[r][c])
                                 : nlohmann::ordered_json(std::stod(table[r][c])));
        out["rows"].push_back(row);
    }
    return out;
}

}  // namespace

void addWiresCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("wires", "Wire current load table: AWG 0000 to 40, size, resistance, current limits");
    cmd->footer(
        "The table the wire screen shows, for solid copper wire: diameter and area from the AWG rule\n"
        "d = 0.127 mm x 92^((36 - AWG) / 39), resistance at 20 degrees C, and the current one wire may carry\n"
        "in chassis wiring and in power transmission.");
    auto json = std::make_shared<bool>(false);
    bench::addJsonFlag(cmd, *json, "Print one JSON object: columns (the headings), rows (the gauge, then the figures)");
    cmd->callback([json] {
        auto document = resourceNamed("Wires");
        // Compiled into the program; a build without it says so, as the screen does.
        if (!document) return logLine("the Wires document is missing from this build; the wire table stays empty");
        const DocumentText text(*document);
        if (*json)
            bench::printJson(tableJson(text.tables().empty() ? DocumentText::Table() : text.tables().front()));
        else
            std::cout << text.text();
    });
}
