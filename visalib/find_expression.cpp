#include "visalib/find_expression.h"

#include <cctype>
#include <memory>

namespace visalib {

namespace {

constexpr size_t kMaxExpressionLength = 512;
// Groups nest at most this deep (any expression of the longest length fits): the parser and the
// builder recurse once per level.
constexpr int kMaxNesting = 256;

using Step = FindExpression::Step;

// Syntax tree of the expression, turned into automaton steps once it is complete.
struct Node
{
    enum Kind
    {
        Set,
        Sequence,
        Alternatives,
        Star,
        Plus
    } kind = Set;
    std::bitset<256> set;
    std::vector<std::unique_ptr<Node>> children;
};

void addFolded(std::bitset<256> &set, unsigned char c)
{
    set.set(c);
    set.set(static_cast<unsigned char>(std::tolower(c)));
    set.set(static_cast<unsigned char>(std::toupper(c)));
}

class Parser
{
public:
    explicit Parser(std::string_view text) : m_text(text) {}

    std::unique_ptr<Node> parseAll()
    {
        std::unique_ptr<Node> root = alternatives(0);
        return root && m_pos == m_text.size() ? std::move(root) : nullptr;
    }

private:
    bool atEnd() const { return m_pos >= m_text.size(); }
    char peek() const { return m_text[m_pos]; }

    std::unique_ptr<Node> alternatives(int depth)
    {
        auto node = std::make_unique<Node>();
        node->kind = Node::Alternatives;
        for (;;) {
            std::unique_ptr<Node> branch = sequence(depth);
            if (!branch) {
                return nullptr;
            }
            node->children.push_back(std::move(branch));
            if (atEnd() || peek() != '|') {
                return node;
            }
            ++m_pos;
        }
    }

    std::unique_ptr<Node> sequence(int depth)
    {
        auto node = std::make_unique<Node>();
        node->kind = Node::Sequence;
        while (!atEnd() && peek() != '|' && peek() != ')') {
            std::unique_ptr<Node> item = atom(depth);
            if (!item) {
                return nullptr;
            }
            if (!atEnd() && (peek() == '*' || peek() == '+')) {
                auto repeat = std::make_unique<Node>();
                repeat->kind = peek() == '*' ? Node::Star : Node::Plus;
                repeat->children.push_back(std::move(item));
                item = std::move(repeat);
                ++m_pos;
            }
            node->children.push_back(std::move(item));
        }
        // An empty alternative ("a|", "()") matches nothing useful and is a typing error.
        return node->children.empty() ? nullptr : std::move(node);
    }

    std::unique_ptr<Node> atom(int depth)
    {
        auto node = std::make_unique<Node>();
        const char c = peek();
        ++m_pos;
        switch (c) {
        case '?':
            node->set.set();
            return node;
        case '(': {
            if (depth >= kMaxNesting) {
                return nullptr;
            }
            std::unique_ptr<Node> inner = alternatives(depth + 1);
            if (!inner || atEnd() || peek() != ')') {
                return nullptr;
            }
            ++m_pos;
            return inner;
        }
        case '[':
            return bracketInto(*node) ? std::move(node) : nullptr;
        case '*':
        case '+':
        case ']':
        case '{': // attribute clauses: no resource of this library has attributes to select on
        case '}':
        case '\0':
            return nullptr;
        case '\\':
            if (atEnd() || peek() == '\0') {
                return nullptr;
            }
            addFolded(node->set, static_cast<unsigned char>(m_text[m_pos++]));
            return node;
        default:
            addFolded(node->set, static_cast<unsigned char>(c));
            return node;
        }
    }

    // "[...]" and "[^...]" with ranges "a-z"; a "-" first or last is literal.
    bool bracketInto(Node &node)
    {
        bool negate = !atEnd() && peek() == '^';
        if (negate) {
            ++m_pos;
        }
        bool any = false;
        while (!atEnd() && peek() != ']') {
            unsigned char first = static_cast<unsigned char>(m_text[m_pos++]);
            if (first == '\\') {
                if (atEnd()) {
                    return false;
                }
                first = static_cast<unsigned char>(m_text[m_pos++]);
            }
            if (first == '\0') {
                return false;
            }
            unsigned char last = first;
            if (m_pos + 1 < m_text.size() && peek() == '-' && m_text[m_pos + 1] != ']') {
                last = static_cast<unsigned char>(m_text[m_pos + 1]);
                m_pos += 2;
                if (last < first) {
                    return false;
                }
            }
            for (unsigned v = first; v <= last; ++v) {
                addFolded(node.set, static_cast<unsigned char>(v));
            }
            any = true;
        }
        if (atEnd() || !any) {
            return false;
        }
        ++m_pos; // ']'
        if (negate) {
            node.set.flip();
            node.set.reset(0);
        }
        return true;
    }

    std::string_view m_text;
    size_t m_pos = 0;
};

// Thompson's construction: every node becomes steps with one entry and one open exit.
class Builder
{
public:
    explicit Builder(std::vector<Step> &steps) : m_steps(steps) {}

    // Emits the node; returns its entry. Its exit jumps to the step index 'after'.
    int emit(const Node &node, int after)
    {
        switch (node.kind) {
        case Node::Set: {
            Step s;
            s.op = Step::Char;
            s.set = node.set;
            s.next = after;
            return add(s);
        }
        case Node::Sequence: {
            int entry = after;
            for (auto it = node.children.rbegin(); it != node.children.rend(); ++it) {
                entry = emit(**it, entry);
            }
            return entry;
        }
        case Node::Alternatives: {
            int entry = emit(*node.children.back(), after);
            for (size_t i = node.children.size() - 1; i-- > 0;) {
                Step s;
                s.op = Step::Split;
                s.next = emit(*node.children[i], after);
                s.alt = entry;
                entry = add(s);
            }
            return entry;
        }
        case Node::Star:
        case Node::Plus: {
            // loop: split(body, after); body exits back to loop.
            int loop = add(Step{});
            int body = emit(*node.children.front(), loop);
            m_steps[loop].op = Step::Split;
            m_steps[loop].next = body;
            m_steps[loop].alt = after;
            return node.kind == Node::Star ? loop : body;
        }
        }
        return after;
    }

private:
    int add(const Step &s)
    {
        m_steps.push_back(s);
        return static_cast<int>(m_steps.size() - 1);
    }

    std::vector<Step> &m_steps;
};

// The set of steps reachable without consuming a character, without duplicates.
void follow(const std::vector<Step> &steps, int from, std::vector<int> &list, std::vector<size_t> &seen,
            size_t generation, std::vector<int> &stack, size_t *work)
{
    stack.clear();
    stack.push_back(from);
    while (!stack.empty()) {
        int at = stack.back();
        stack.pop_back();
        if (work) {
            ++*work;
        }
        if (seen[at] == generation) {
            continue;
        }
        seen[at] = generation;
        const Step &s = steps[at];
        if (s.op == Step::Split) {
            stack.push_back(s.alt);
            stack.push_back(s.next);
        } else if (s.op == Step::Jump) {
            stack.push_back(s.next);
        } else {
            list.push_back(at);
        }
    }
}

} // namespace

ViStatus FindExpression::compile(std::string_view expression)
{
    m_steps.clear();
    if (expression.empty() || expression.size() > kMaxExpressionLength) {
        return VI_ERROR_INV_EXPR;
    }
    std::unique_ptr<Node> root = Parser(expression).parseAll();
    if (!root) {
        return VI_ERROR_INV_EXPR;
    }
    Step match;
    match.op = Step::Match;
    m_steps.push_back(match);
    m_start = Builder(m_steps).emit(*root, 0);
    return VI_SUCCESS;
}

bool FindExpression::matches(const std::string &resourceName, size_t *work) const
{
    if (m_steps.empty()) {
        return false;
    }
    std::vector<size_t> seen(m_steps.size(), 0);
    std::vector<int> current, next, stack;
    size_t generation = 1;
    follow(m_steps, m_start, current, seen, generation, stack, work);
    for (char ch : resourceName) {
        const unsigned char c = static_cast<unsigned char>(ch);
        next.clear();
        ++generation;
        for (int at : current) {
            const Step &s = m_steps[at];
            if (s.op == Step::Char && s.set.test(c)) {
                follow(m_steps, s.next, next, seen, generation, stack, work);
            }
        }
        current.swap(next);
        if (current.empty()) {
            return false;
        }
    }
    for (int at : current) {
        if (m_steps[at].op == Step::Match) {
            return true;
        }
    }
    return false;
}

bool FindExpression::canMatchSome(std::string_view prefix, std::string_view suffix, size_t *work) const
{
    if (m_steps.empty()) {
        return false;
    }
    // Reachability in the product of the automaton with "prefix, anything, suffix": states are
    // (step, position) with position < P in the prefix, P anywhere in the middle, P + 1 + k at
    // suffix character k and P + 1 + S at the end.
    const int P = static_cast<int>(prefix.size());
    const int end = P + 1 + static_cast<int>(suffix.size());
    const size_t width = static_cast<size_t>(end + 1);
    std::vector<char> visited(m_steps.size() * width, 0);
    std::vector<std::pair<int, int>> pending;
    std::vector<size_t> seen(m_steps.size(), 0);
    std::vector<int> closure, stack;
    size_t generation = 0;
    auto enter = [&](int from, int position) {
        closure.clear();
        follow(m_steps, from, closure, seen, ++generation, stack, work);
        for (int at : closure) {
            for (int p : {position, position == P ? P + 1 : -1}) {
                if (p >= 0 && !visited[at * width + p]) {
                    visited[at * width + p] = 1;
                    pending.emplace_back(at, p);
                }
            }
        }
    };
    enter(m_start, 0);
    while (!pending.empty()) {
        auto [at, position] = pending.back();
        pending.pop_back();
        const Step &s = m_steps[at];
        if (s.op == Step::Match) {
            if (position == end) {
                return true;
            }
            continue;
        }
        if (position == end) {
            continue;
        }
        bool takes = position == P  ? s.set.any()
                     : position < P ? s.set.test(static_cast<unsigned char>(prefix[position]))
                                    : s.set.test(static_cast<unsigned char>(suffix[position - P - 1]));
        if (takes) {
            enter(s.next, position == P ? P : position + 1);
        }
    }
    return false;
}

} // namespace visalib
