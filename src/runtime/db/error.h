#pragma once

#include "runtime/abort.h"

#include <QString>

#include <stdexcept>

// Numeric codes of the table layer's errors.
namespace dberr {
constexpr int General = 0;
constexpr int KeyViolation = 9729;     // 0x2601
constexpr int MinimumValue = 9730;     // 0x2602, value below the field's minimum
constexpr int ValueTooLong = 9731;     // 0x2603, text longer than the field
constexpr int RequiredValue = 9732;    // 0x2604, required value missing
constexpr int InvalidValue = 9733;     // a text that is not a value of the field's type
constexpr int NotEditing = 9734;       // dataset not in insert or edit state
constexpr int Inactive = 9735;         // dataset closed
constexpr int NoSuchField = 9736;
constexpr int Engine = 9737;           // any other error of the SQL engine
constexpr int BadFile = 9738;          // a table file that is not the expected table
constexpr int IncompleteEntry = 9739;  // a typed entry that does not fill its edit mask
constexpr int RowChanged = 9740;       // another desk changed or deleted the row since it was read

// An entry that does not fit its field: a warning for the clerk to correct,
// not a failure of the program.
constexpr bool isRefusedEntry(int code)
{
    return code == InvalidValue || code == ValueTooLong || code == IncompleteEntry;
}
}

// Every error of the table layer. code() is one of dberr; the text is shown
// to the operator as it stands.
class DatabaseError : public std::runtime_error {
public:
    DatabaseError(int code, const QString &text)
        : std::runtime_error(text.toStdString()), m_code(code), m_text(text) {}
    int code() const { return m_code; }
    QString text() const { return m_text; }

private:
    int m_code;
    QString m_text;
};

