#pragma once

#include "runtime/db/error.h"
#include "runtime/money.h"

#include <QDate>
#include <QString>
#include <QVariant>

#include <optional>

class Dataset;

enum class FieldType {
    Text,     // TEXT, at most `size` characters; empty text is stored as NULL
    Date,     // ISO yyyy-MM-dd TEXT; shown and typed as dd/MM/yyyy
    Money,    // INTEGER ten-thousandths
    Integer,  // plain 32-bit integer
    AutoInc,  // INTEGER PRIMARY KEY AUTOINCREMENT, read-only
};

// Declaration of a field, stored or calculated.
struct FieldDef {
    FieldDef(const QString &fieldName = {}, FieldType fieldType = FieldType::Text, int fieldSize = 0)
        : name(fieldName), type(fieldType), size(fieldSize) {}
    QString name;
    FieldType type = FieldType::Text;
    int size = 0;                       // characters, text fields only
    bool calculated = false;
    bool required = false;              // NOT NULL, reported as code 9732
    std::optional<Money> minimum;       // CHECK (x >= minimum), reported as 9730
    QString editMask;                   // input mask for bound editors
    int displayWidth = 0;               // characters; 0 = from size
    QString label;                      // caption the windows show it under

    // What messages call the field: its caption, else its name.
    QString displayLabel() const { return label.isEmpty() ? name : label; }
};

// A field of a dataset's current row. Values are held as:
// Text -> QString, Date -> QDate, Money -> Money, Integer/AutoInc -> qint64;
// an empty field holds a null QVariant.
class Field {
public:
    Field(Dataset *dataset, FieldDef def, int index);

    const FieldDef &def() const { return m_def; }
    const QString &name() const { return m_def.name; }
    QString displayLabel() const { return m_def.displayLabel(); }
    FieldType type() const { return m_def.type; }
    int size() const { return m_def.size; }
    bool isCalculated() const { return m_def.calculated; }
    bool isReadOnly() const { return m_def.type == FieldType::AutoInc; }
    int index() const { return m_index; }
    Dataset *dataset() const { return m_dataset; }

    QVariant value() const;
    bool isNull() const { return value().isNull(); }
    QString asString() const;          // text form: dates dd/MM/yyyy, money plain
    QString displayText() const;       // as shown: money in the currency text
    Money asMoney() const;             // 0 when empty
    qint64 asInteger() const;          // 0 when empty
    double asFloat() const;            // 0 when empty
    QDate asDate() const;              // invalid when empty

    // Writes need the dataset in insert or edit state, or in its
    // calculated-fields event for calculated fields. Throw DatabaseError.
    void setValue(const QVariant &value);
    void setText(const QString &text); // parses by type; empty text -> empty
    void setMoney(Money value) { setValue(QVariant::fromValue(value)); }
    void clear() { setValue(QVariant()); }

    // Refuses (DatabaseError, code IncompleteEntry) a text typed through the
    // field's edit mask that does not fill it; empty text and fields
    // without a mask pass.
    void checkMaskEntry(const QString &text) const;

    // Before a row is stored: masked texts, then required fields (code
    // RequiredValue), then minimum values (MinimumValue), each refused by
    // the field's caption. The engine's own checks stay as a backstop.
    static void checkEntries(const QList<Field *> &fields);

    // The text an editor shows for editing (money plain, dates dd/MM/yyyy).
    QString editText() const { return asString(); }

    // Converts a value of any accepted form to this field's stored form;
    // throws DatabaseError naming the value when it does not fit.
    QVariant normalize(const QVariant &value) const;
    // Formats a held value (of this field's stored form) as text.
    QString format(const QVariant &value, bool display) const;

    // Between the held form and the file's storage form (TEXT, INTEGER).
    QVariant toStorage(const QVariant &value) const;
    QVariant fromStorage(const QVariant &stored) const;

private:
    // A refused entry, told to the clerk as "Caption": why.
    DatabaseError refusal(int code, const QString &why) const;
    DatabaseError invalid(const QString &text, const QString &what) const;

    Dataset *m_dataset;
    FieldDef m_def;
    int m_index;
};
