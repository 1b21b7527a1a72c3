#include "model/store/SnWhereClause.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {

class Lexer {
public:
    explicit Lexer(std::string_view text) : m_text(text) {}

    void SkipBlanks() {
        while (m_pos < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_pos])))
            ++m_pos;
    }
    bool AtEnd() {
        SkipBlanks();
        return m_pos >= m_text.size();
    }
    bool Word(std::string& out) {
        SkipBlanks();
        std::size_t start = m_pos;
        while (m_pos < m_text.size() &&
               (std::isalnum(static_cast<unsigned char>(m_text[m_pos])) || m_text[m_pos] == '_'))
            ++m_pos;
        if (m_pos == start || std::isdigit(static_cast<unsigned char>(m_text[start])))
            return false;
        out.assign(m_text.substr(start, m_pos - start));
        return true;
    }
    bool Operator(std::string& out) {
        SkipBlanks();
        static const char* const kOps[] = {"<>", "!=", "<=", ">=", "=", "<", ">"};
        for (const char* op : kOps) {
            std::string_view o(op);
            if (m_text.substr(m_pos, o.size()) == o) {
                m_pos += o.size();
                out = (o == "!=") ? "<>" : std::string(o);
                return true;
            }
        }
        return false;
    }
    bool Integer(long long& out) {
        SkipBlanks();
        std::size_t start = m_pos;
        if (m_pos < m_text.size() && (m_text[m_pos] == '-' || m_text[m_pos] == '+'))
            ++m_pos;
        std::size_t digits = m_pos;
        while (m_pos < m_text.size() && std::isdigit(static_cast<unsigned char>(m_text[m_pos])))
            ++m_pos;
        if (m_pos == digits || m_pos - digits > 18)
            return false;
        out = std::strtoll(std::string(m_text.substr(start, m_pos - start)).c_str(), nullptr, 10);
        // A number glued to letters ("12abc") is not an integer.
        return m_pos >= m_text.size() || !std::isalnum(static_cast<unsigned char>(m_text[m_pos]));
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

} // namespace

bool CSnWhereClause::Parse(const CQvcString& text, const std::vector<Field>& allowed) {
    m_conditions.clear();
    Lexer lex(text);
    if (lex.AtEnd())
        return true;
    for (;;) {
        std::string name, op;
        Condition c;
        if (!lex.Word(name) || !lex.Operator(op) || !lex.Integer(c.Value)) {
            m_conditions.clear();
            return false;
        }
        const Field* field = nullptr;
        for (const Field& f : allowed)
            if (EqualNoCase(name, f.Name))
                field = &f;
        if (!field) {
            m_conditions.clear();
            return false;
        }
        c.Column = field->Column;
        c.Op = op;
        m_conditions.push_back(std::move(c));
        if (lex.AtEnd())
            return true;
        std::string word;
        if (!lex.Word(word) || !EqualNoCase(word, "AND")) {
            m_conditions.clear();
            return false;
        }
    }
}

std::string CSnWhereClause::Sql() const {
    std::string sql;
    for (const Condition& c : m_conditions) {
        sql += sql.empty() ? " WHERE " : " AND ";
        sql += "\"" + c.Column + "\" " + c.Op + " ?";
    }
    return sql;
}
