#include "core/ShaderMacros.h"

#include <algorithm>

namespace {

using SToken = CShaderMacros::SToken;
constexpr uint64_t SATURATED = CShaderMacros::SATURATED;

uint64_t Sum(uint64_t a, uint64_t b)
{
    return std::min(a + b, SATURATED);  // both at most SATURATED: no overflow
}

uint64_t Product(uint64_t a, uint64_t b)
{
    if (!a || !b)
        return 0;
    return a > SATURATED / b ? SATURATED : std::min(a * b, SATURATED);
}

bool IsNameStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool IsNameChar(char c)
{
    return IsNameStart(c) || (c >= '0' && c <= '9');
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The end of a quoted literal that starts at i: after its closing quote, or at the end of
// its line when it has none.
size_t LiteralEnd(std::string_view s, size_t i)
{
    const char quote = s[i];
    size_t j = i + 1;
    while (j < s.size() && s[j] != quote && s[j] != '\n')
        j += s[j] == '\\' && j + 1 < s.size() && s[j + 1] != '\n' ? 2 : 1;
    return j < s.size() && s[j] == quote ? j + 1 : j;
}

// The text as the preprocessor sees its tokens: lines joined where a backslash ends them,
// each comment one blank (a line comment keeps the end of its line), literals as written.
std::string CleanText(std::string_view in)
{
    std::string joined;
    joined.reserve(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] == '\\') {
            size_t j = i + 1;
            if (j < in.size() && in[j] == '\r')
                ++j;
            if (j < in.size() && in[j] == '\n') {
                i = j;
                continue;
            }
        }
        joined += in[i];
    }
    std::string out;
    out.reserve(joined.size());
    const size_t n = joined.size();
    for (size_t i = 0; i < n;) {
        const char c = joined[i];
        if (c == '/' && i + 1 < n && joined[i + 1] == '/') {
            while (i < n && joined[i] != '\n')
                ++i;
            out += ' ';
        } else if (c == '/' && i + 1 < n && joined[i + 1] == '*') {
            const size_t end = joined.find("*/", i + 2);
            i = end == std::string::npos ? n : end + 2;
            out += ' ';
        } else if (c == '"' || c == '\'') {
            const size_t end = LiteralEnd(joined, i);
            out.append(joined, i, end - i);
            i = end;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

// Tokens of a clean text; each token's text points into it. Operators of several
// characters come as one token a character, which only weighs them more.
std::vector<SToken> Lex(std::string_view s)
{
    std::vector<SToken> tokens;
    const size_t n = s.size();
    for (size_t i = 0; i < n;) {
        const char c = s[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
            ++i;
            continue;
        }
        size_t end = i + 1;
        CShaderMacros::EKind kind = CShaderMacros::OTHER;
        if (c == '\n') {
            kind = CShaderMacros::NEWLINE;
        } else if (IsNameStart(c)) {
            while (end < n && IsNameChar(s[end]))
                ++end;
            kind = CShaderMacros::NAME;
        } else if (IsDigit(c) || (c == '.' && i + 1 < n && IsDigit(s[i + 1]))) {
            for (; end < n; ++end) {
                const char d = s[end], before = s[end - 1];
                const bool sign = (d == '+' || d == '-') &&
                                  (before == 'e' || before == 'E' || before == 'p' || before == 'P');
                if (!IsNameChar(d) && d != '.' && !sign)
                    break;
            }
        } else if (c == '"' || c == '\'') {
            end = LiteralEnd(s, i);
        } else if (c == '#') {
            kind = end < n && s[end] == '#' ? CShaderMacros::PASTE : CShaderMacros::HASH;
            end += kind == CShaderMacros::PASTE;
        } else if (c == '(') {
            kind = CShaderMacros::OPEN;
        } else if (c == ')') {
            kind = CShaderMacros::CLOSE;
        }
        tokens.push_back({kind, uint32_t(end - i + 1), s.substr(i, end - i), -1});
        i = end;
    }
    return tokens;
}

bool Is(const SToken& t, CShaderMacros::EKind kind, std::string_view text)
{
    return t.kind == kind && t.text == text;
}

// Calls f(first, end) for every line of the tokens, without its end of line.
template <class F>
void ForEachLine(const std::vector<SToken>& tokens, F f)
{
    for (size_t a = 0; a < tokens.size();) {
        size_t b = a;
        while (b < tokens.size() && tokens[b].kind != CShaderMacros::NEWLINE)
            ++b;
        f(a, b);
        a = b + 1;
    }
}

// A directive whose operands the preprocessor expands: "#if", "#elif", "#line", and an
// "#include" that names its file through a macro.
bool ExpandsOperands(const std::vector<SToken>& t, size_t a, size_t b)
{
    if (b - a < 3 || t[a + 1].kind != CShaderMacros::NAME)
        return false;
    const std::string_view word = t[a + 1].text;
    return word == "if" || word == "elif" || word == "line" ||
           (word == "include" && t[a + 2].kind == CShaderMacros::NAME);
}

} // namespace

bool CShaderMacros::Define(std::string_view text)
{
    const std::string clean = CleanText(text);
    const std::vector<SToken> t = Lex(clean);
    bool added = false;
    ForEachLine(t, [&](size_t a, size_t b) {
        if (b - a < 3 || t[a].kind != HASH || !Is(t[a + 1], NAME, "define") || t[a + 2].kind != NAME)
            return;
        const SToken& name = t[a + 2];
        SDefinition definition;
        size_t k = a + 3;
        // The parameters first, on a line of their own, then the body.
        if (k < b && t[k].kind == OPEN && name.text.data() + name.text.size() == t[k].text.data()) {
            definition.function = true;
            for (++k; k < b && t[k].kind != CLOSE; ++k) {
                if (t[k].kind == NAME) {
                    definition.source.append(t[k].text).append(" ");
                } else if (Is(t[k], OTHER, ".") && k + 2 < b && Is(t[k + 1], OTHER, ".") &&
                           Is(t[k + 2], OTHER, ".")) {
                    definition.source.append("__VA_ARGS__ ");
                    k += 2;
                }
            }
            k += k < b;
        }
        definition.source += '\n';
        if (k < b) {
            const size_t from = size_t(t[k].text.data() - clean.data());
            const size_t to = size_t(t[b - 1].text.data() + t[b - 1].text.size() - clean.data());
            definition.source.append(clean, from, to - from);
        }
        added |= Add(name.text, std::move(definition));
    });
    return added;
}

bool CShaderMacros::DefineValue(const char* name, const char* value)
{
    if (!name || !IsNameStart(name[0]))
        return false;
    SDefinition definition;
    definition.source = "\n" + CleanText(value ? value : "");
    std::replace(definition.source.begin() + 1, definition.source.end(), '\n', ' ');
    return Add(name, std::move(definition));
}

bool CShaderMacros::Add(std::string_view name, SDefinition definition)
{
    auto found = macros_.find(name);
    if (found == macros_.end())
        found = macros_.emplace(std::string(name), SMacro{}).first;
    SMacro& macro = found->second;
    for (const SDefinition* known : macro.definitions)
        if (known->function == definition.function && known->source == definition.source)
            return false;
    // Tokens point into the source where it stays: in the deque.
    definitions_.push_back(std::move(definition));
    SDefinition& stored = definitions_.back();
    const std::vector<SToken> tokens = Lex(stored.source);
    std::vector<std::string_view> params;
    size_t k = 0;
    for (; k < tokens.size() && tokens[k].kind != NEWLINE; ++k)
        params.push_back(tokens[k].text);
    for (++k; k < tokens.size(); ++k) {
        SToken token = tokens[k];
        if (token.kind == NAME)
            for (size_t p = 0; p < params.size(); ++p)
                if (params[p] == token.text)
                    token.param = int(p);
        stored.body.push_back(token);
    }
    macro.definitions.push_back(&stored);
    macro.nameBytes = uint32_t(std::min<size_t>(name.size() + 1, UINT32_MAX));
    ++generation_;
    return true;
}

CShaderMacros::SMacro* CShaderMacros::Find(std::string_view name)
{
    auto found = macros_.find(name);
    return found == macros_.end() ? nullptr : &found->second;
}

// New definitions make every weight taken before void. A name made by "##" may name any
// macro, so it weighs as the heaviest one, weighed with such names at one.
void CShaderMacros::Refresh()
{
    if (weighedGeneration_ == generation_)
        return;
    weighedGeneration_ = generation_;
    const auto forget = [this] {
        for (auto& [name, macro] : macros_) {
            macro.state = SMacro::UNKNOWN;
            macro.weight = SWeight{};
        }
    };
    forget();
    pasteWeight_ = 1;
    const bool pastes = std::any_of(definitions_.begin(), definitions_.end(), [](const SDefinition& d) {
        return std::any_of(d.body.begin(), d.body.end(), [](const SToken& t) { return t.kind == PASTE; });
    });
    if (!pastes)
        return;
    uint64_t heaviest = 1;
    for (auto& [name, macro] : macros_)
        heaviest = std::max(heaviest, WeightOf(macro, 0).bytes);
    pasteWeight_ = heaviest;
    forget();
}

uint64_t CShaderMacros::Weigh(std::string_view text, bool* recursive)
{
    Refresh();
    const std::string clean = CleanText(text);
    const std::vector<SToken> t = Lex(clean);
    std::vector<SToken> body, operands;
    SWeight total;
    const auto add = [&total](const SWeight& w) {
        total.bytes = Sum(total.bytes, w.bytes);
        total.recursive |= w.recursive;
    };
    ForEachLine(t, [&](size_t a, size_t b) {
        if (a == b || t[a].kind != HASH) {
            body.insert(body.end(), t.begin() + a, t.begin() + b);
            return;
        }
        if (!ExpandsOperands(t, a, b))
            return;
        operands.clear();
        for (size_t k = a + 2; k < b; ++k) {
            if (!Is(t[k], NAME, "defined")) {
                operands.push_back(t[k]);
                continue;
            }
            // "defined NAME" and "defined ( NAME )" name a macro without expanding it.
            if (k + 1 < b && t[k + 1].kind == NAME)
                k += 1;
            else if (k + 3 < b && t[k + 1].kind == OPEN && t[k + 2].kind == NAME && t[k + 3].kind == CLOSE)
                k += 3;
        }
        add(WeighTokens(operands.data(), operands.size(), 0));
    });
    add(WeighTokens(body.data(), body.size(), 0));
    if (recursive)
        *recursive = total.recursive;
    return total.bytes;
}

// A macro met within its own expansion is not expanded again there. Such a weight depends on
// where the expansion began, but a text that meets one is told recursive and not expanded at
// all, so every weight is kept.
CShaderMacros::SWeight CShaderMacros::WeightOf(SMacro& macro, int depth)
{
    if (macro.state == SMacro::KNOWN)
        return macro.weight;
    if (macro.state == SMacro::BUSY)
        return {macro.nameBytes, 0, true};
    if (depth > MAX_DEPTH)
        return {SATURATED, SATURATED, false};
    macro.state = SMacro::BUSY;
    SWeight weight;
    for (const SDefinition* d : macro.definitions) {
        const SWeight body = WeighTokens(d->body.data(), d->body.size(), depth);
        weight.bytes = std::max(weight.bytes, Sum(body.bytes, 1));
        weight.copies = std::max(weight.copies, body.copies);
        weight.recursive |= body.recursive;
    }
    macro.state = SMacro::KNOWN;
    macro.weight = weight;
    return weight;
}

CShaderMacros::SWeight CShaderMacros::WeighTokens(const SToken* tokens, size_t count, int depth)
{
    SWeight sum;
    // The weight of one token at each open parenthesis; a call's arguments weigh more.
    std::vector<uint64_t> levels(1, 1);
    for (size_t i = 0; i < count; ++i) {
        if (++work_ > MAX_WORK)
            return {SATURATED, SATURATED, sum.recursive};
        const SToken& t = tokens[i];
        const uint64_t m = levels.back();
        switch (t.kind) {
        case OPEN: {
            uint64_t inner = m;
            if (i > 0 && tokens[i - 1].kind == NAME && tokens[i - 1].param < 0)
                if (SMacro* called = Find(tokens[i - 1].text))
                    inner = Product(m, Sum(WeightOf(*called, depth + 1).copies, 1));
            sum.bytes = Sum(sum.bytes, Product(m, t.bytes));
            levels.push_back(inner);
            break;
        }
        case CLOSE:
            sum.bytes = Sum(sum.bytes, Product(m, t.bytes));
            if (levels.size() > 1)
                levels.pop_back();
            break;
        case NAME:
            if (t.param >= 0)
                sum.copies = Sum(sum.copies, m);
            else if (SMacro* macro = Find(t.text)) {
                const SWeight w = WeightOf(*macro, depth + 1);
                sum.bytes = Sum(sum.bytes, Product(m, w.bytes));
                sum.recursive |= w.recursive;
            } else
                sum.bytes = Sum(sum.bytes, Product(m, t.bytes));
            break;
        case PASTE:
            sum.bytes = Sum(sum.bytes, Product(m, pasteWeight_));
            break;
        default:
            sum.bytes = Sum(sum.bytes, Product(m, t.bytes));
        }
    }
    return sum;
}
