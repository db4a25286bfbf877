// Reads the menu resource from the same resource script that the resource
// compiler builds into the Windows program, so both builds show one menu.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <strings.h>

#include "sim_internal.h"

namespace sim::internal {

namespace {

constexpr int kDeepestInclude = 8;
constexpr int kDeepestDefine = 8;

using Defines = std::map<std::string, std::string>;

bool ReadWholeFile(const std::string& path, std::string* text) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    std::ostringstream contents;
    contents << file.rdbuf();
    *text = contents.str();
    return true;
}

bool SameWord(const std::string& word, const char* keyword) {
    return strcasecmp(word.c_str(), keyword) == 0;
}

// Blanks out /* */ and // comments, keeping strings and line breaks.
std::string WithoutComments(const std::string& text) {
    std::string out;
    size_t at = 0;
    while (at < text.size()) {
        if (text[at] == '"') {
            size_t end = at + 1;
            while (end < text.size() && text[end] != '"' && text[end] != '\n') {
                end += text[end] == '\\' ? 2 : 1;
            }
            end = std::min(end + 1, text.size());
            out.append(text, at, end - at);
            at = end;
        } else if (text.compare(at, 2, "/*") == 0) {
            size_t end = text.find("*/", at + 2);
            end = end == std::string::npos ? text.size() : end + 2;
            for (size_t n = at; n < end; ++n) out.push_back(text[n] == '\n' ? '\n' : ' ');
            at = end;
        } else if (text.compare(at, 2, "//") == 0) {
            at = text.find('\n', at);
            if (at == std::string::npos) at = text.size();
        } else {
            out.push_back(text[at++]);
        }
    }
    return out;
}

std::string Trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return std::string();
    size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

class Preprocessor {
   public:
    explicit Preprocessor(std::string include_dir) : include_dir_(std::move(include_dir)) {}

    // Keeps the lines that are not directives; collects #defines, also
    // those of included headers.
    bool Run(const std::string& text, std::string* body, int depth) {
        std::istringstream lines(WithoutComments(text));
        std::string line;
        while (std::getline(lines, line)) {
            std::string trimmed = Trimmed(line);
            if (trimmed.empty() || trimmed[0] != '#') {
                if (body) body->append(line).push_back('\n');
                continue;
            }
            if (!Directive(Trimmed(trimmed.substr(1)), depth)) return false;
        }
        return true;
    }

    const Defines& defines() const { return defines_; }
    const std::string& error() const { return error_; }

   private:
    bool Directive(const std::string& directive, int depth) {
        std::istringstream words(directive);
        std::string keyword;
        words >> keyword;
        if (keyword == "define") {
            std::string name;
            words >> name;
            std::string value;
            std::getline(words, value);
            if (!name.empty()) defines_[name] = Trimmed(value);
            return true;
        }
        if (keyword == "include") return Include(Trimmed(directive.substr(keyword.size())), depth);
        return true;
    }

    bool Include(const std::string& quoted, int depth) {
        if (quoted.size() < 2 || depth >= kDeepestInclude) return Fail("bad #include " + quoted);
        std::string path = include_dir_ + "/" + quoted.substr(1, quoted.size() - 2);
        std::string text;
        if (!ReadWholeFile(path, &text)) return Fail("cannot read " + path);
        return Run(text, nullptr, depth + 1);
    }

    bool Fail(const std::string& why) {
        error_ = why;
        return false;
    }

    std::string include_dir_;
    Defines defines_;
    std::string error_;
};

enum class TokenKind { Word, Text, Comma, Open, Close, End };
struct Token {
    TokenKind kind;
    std::string text;
};

bool IsWordByte(char byte) {
    return !std::isspace(static_cast<unsigned char>(byte)) && byte != ',' && byte != '"' &&
           byte != '{' && byte != '}';
}

char EscapedByte(char code) {
    switch (code) {
        case 't':
            return '\t';
        case 'n':
            return '\n';
        case 'a':
            return '\b';  // the resource compiler's right-alignment mark
        default:
            return code;
    }
}

// A quoted string with the resource compiler's escapes: \t, \n, \a, \",
// \\ and "" for a quote.
size_t ReadString(const std::string& body, size_t at, std::string* text) {
    ++at;
    while (at < body.size()) {
        char byte = body[at];
        if (byte == '"' && at + 1 < body.size() && body[at + 1] == '"') {
            text->push_back('"');
            at += 2;
        } else if (byte == '"') {
            return at + 1;
        } else if (byte == '\\' && at + 1 < body.size()) {
            text->push_back(EscapedByte(body[at + 1]));
            at += 2;
        } else {
            text->push_back(byte);
            ++at;
        }
    }
    return at;
}

std::vector<Token> Tokenize(const std::string& body) {
    std::vector<Token> tokens;
    size_t at = 0;
    while (at < body.size()) {
        char byte = body[at];
        if (std::isspace(static_cast<unsigned char>(byte))) {
            ++at;
        } else if (byte == ',') {
            tokens.push_back({TokenKind::Comma, ","});
            ++at;
        } else if (byte == '{' || byte == '}') {
            tokens.push_back({byte == '{' ? TokenKind::Open : TokenKind::Close, {byte}});
            ++at;
        } else if (byte == '"') {
            Token token = {TokenKind::Text, std::string()};
            at = ReadString(body, at, &token.text);
            tokens.push_back(token);
        } else {
            size_t end = at;
            while (end < body.size() && IsWordByte(body[end])) ++end;
            std::string word = body.substr(at, end - at);
            TokenKind kind = SameWord(word, "BEGIN") ? TokenKind::Open
                             : SameWord(word, "END") ? TokenKind::Close
                                                     : TokenKind::Word;
            tokens.push_back({kind, word});
            at = end;
        }
    }
    tokens.push_back({TokenKind::End, std::string()});
    return tokens;
}

bool ParseNumber(const std::string& text, UINT* value) {
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0]))) return false;
    char* end = nullptr;
    unsigned long number = std::strtoul(text.c_str(), &end, 0);
    while (*end == 'L' || *end == 'l' || *end == 'U' || *end == 'u') ++end;
    if (*end != '\0') return false;
    *value = static_cast<UINT>(number);
    return true;
}

bool ResolveNumber(const Defines& defines, std::string text, UINT* value) {
    for (int depth = 0; depth <= kDeepestDefine; ++depth) {
        while (text.size() >= 2 && text.front() == '(' && text.back() == ')') {
            text = Trimmed(text.substr(1, text.size() - 2));
        }
        if (ParseNumber(text, value)) return true;
        auto found = defines.find(text);
        if (found == defines.end()) return false;
        text = found->second;
    }
    return false;
}

UINT OptionFlag(const std::string& word) {
    if (SameWord(word, "CHECKED")) return MF_CHECKED;
    if (SameWord(word, "GRAYED")) return MF_GRAYED;
    if (SameWord(word, "INACTIVE")) return MF_DISABLED;
    return 0;
}

bool IsOption(const std::string& word) {
    static const char* const kOptions[] = {"CHECKED", "GRAYED",       "INACTIVE",
                                           "HELP",    "MENUBARBREAK", "MENUBREAK"};
    for (const char* option : kOptions) {
        if (SameWord(word, option)) return true;
    }
    return false;
}

class MenuParser {
   public:
    MenuParser(std::vector<Token> tokens, const Defines& defines)
        : tokens_(std::move(tokens)), defines_(defines) {}

    // Finds `name MENU` and reads its block.
    bool Parse(const WindowClass& window_class, std::vector<MenuTemplateItem>* items) {
        for (at_ = 0; Peek().kind != TokenKind::End; ++at_) {
            if (Peek().kind != TokenKind::Word || tokens_[at_ + 1].kind != TokenKind::Word)
                continue;
            if (!SameWord(tokens_[at_ + 1].text, "MENU") || !NameMatches(window_class)) continue;
            at_ += 2;
            while (Peek().kind == TokenKind::Word) ++at_;  // load and memory options
            return Expect(TokenKind::Open) && ParseItems(items);
        }
        return Fail("no menu named " + window_class.menu_name);
    }

    const std::string& error() const { return error_; }

   private:
    const Token& Peek() const { return tokens_[at_]; }
    // Stays on the closing End token.
    const Token& Next() {
        const Token& token = tokens_[at_];
        if (token.kind != TokenKind::End) ++at_;
        return token;
    }

    bool Fail(const std::string& why) {
        if (error_.empty()) error_ = why;
        return false;
    }

    bool Expect(TokenKind kind) {
        if (Next().kind == kind) return true;
        return Fail("unexpected '" + tokens_[at_ - 1].text + "' in the menu");
    }

    bool NameMatches(const WindowClass& window_class) const {
        const std::string& name = Peek().text;
        UINT number;
        bool numeric = ResolveNumber(defines_, name, &number);
        if (window_class.menu_by_number) return numeric && number == window_class.menu_number;
        return !numeric && SameWord(name, window_class.menu_name.c_str());
    }

    bool ParseItems(std::vector<MenuTemplateItem>* items) {
        while (Peek().kind != TokenKind::Close) {
            if (Peek().kind != TokenKind::Word) return Fail("unexpected '" + Peek().text + "'");
            MenuTemplateItem item;
            std::string keyword = Next().text;
            bool parsed = SameWord(keyword, "POPUP")      ? ParsePopup(&item)
                          : SameWord(keyword, "MENUITEM") ? ParseItem(&item)
                                                          : Fail("unknown menu word " + keyword);
            if (!parsed) return false;
            items->push_back(std::move(item));
        }
        return Expect(TokenKind::Close);
    }

    bool ParsePopup(MenuTemplateItem* item) {
        if (Peek().kind != TokenKind::Text) return Fail("POPUP without text");
        item->text = Next().text;
        item->flags = MF_POPUP | ParseOptions();
        return Expect(TokenKind::Open) && ParseItems(&item->children);
    }

    bool ParseItem(MenuTemplateItem* item) {
        if (Peek().kind == TokenKind::Word && SameWord(Peek().text, "SEPARATOR")) {
            ++at_;
            item->flags = MF_SEPARATOR;
            return true;
        }
        if (Peek().kind != TokenKind::Text) return Fail("MENUITEM without text");
        item->text = Next().text;
        if (!Expect(TokenKind::Comma)) return false;
        if (!ResolveNumber(defines_, Next().text, &item->id)) {
            return Fail("unknown menu id " + tokens_[at_ - 1].text);
        }
        item->flags = ParseOptions();
        return true;
    }

    // Options follow, each after a comma or a blank.
    UINT ParseOptions() {
        UINT flags = 0;
        for (;;) {
            size_t option = Peek().kind == TokenKind::Comma ? at_ + 1 : at_;
            if (tokens_[option].kind != TokenKind::Word || !IsOption(tokens_[option].text)) {
                return flags;
            }
            flags |= OptionFlag(tokens_[option].text);
            at_ = option + 1;
        }
    }

    std::vector<Token> tokens_;
    const Defines& defines_;
    size_t at_ = 0;
    std::string error_;
};

void Complain(const std::string& why) {
    std::fprintf(stderr, "simulated desktop: %s: %s\n", SIM_RESOURCE_SCRIPT, why.c_str());
}

}  // namespace

bool LoadMenuTemplate(const WindowClass& window_class, std::vector<MenuTemplateItem>* items) {
    if (!window_class.menu_by_number && window_class.menu_name.empty()) return false;
    std::string script;
    if (!ReadWholeFile(SIM_RESOURCE_SCRIPT, &script)) {
        Complain("cannot read the resource script");
        return false;
    }
    Preprocessor preprocessor(SIM_RESOURCE_INCLUDE_DIR);
    std::string body;
    if (!preprocessor.Run(script, &body, 0)) {
        Complain(preprocessor.error());
        return false;
    }
    MenuParser parser(Tokenize(body), preprocessor.defines());
    if (!parser.Parse(window_class, items)) {
        Complain(parser.error());
        return false;
    }
    return true;
}

}  // namespace sim::internal
