#pragma once

#include "core/settings/syst_func.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

struct SettingsKey;

// One line of an ini file, in file order.
struct IniEntry {
    enum Kind { Comment = 0, Header = 1, Key = 2 };

    int kind = Comment;
    QString comment; // text after "#" or ";", marker excluded
    QString section; // header: its name; key line: its section (empty before any header)
    QString key;
    QString value;
    // Key lines read from a file: the value as the file held it, which a
    // save falls back to when the current value cannot be written. Null for
    // keys made since.
    QString fileValue;
};

// An in-memory, order-preserving image of an ini file in Windows-1251.
//
// Keys are named relative to the current group ("key") or with an explicit
// section ("SECTION:key"). New keys go directly after the first header of
// their section (keys without a section at the very top), so keys created in
// one pass come out in the reverse order of their creation; existing keys
// never move. Comments survive a load and save; blank lines are dropped on
// load and regenerated before every header.
//
// A file saved by another editor reads the same: UTF-8 or UTF-16 (see
// SYST_FUNC::decodeSettingsBytes) and LF, CR LF or CR line ends. It is
// written back in Windows-1251 with LF, unless text read from a Unicode file
// needs characters Windows-1251 lacks: then in UTF-8 with a byte-order mark,
// so the user's own text is not lost.
class iniReader
{
public:
    // False, with an empty store, when the file cannot be read.
    bool load(const QString &fileName);
    // Parses `text` into a fresh store (lines end at LF, CR LF or CR).
    // Always succeeds; malformed lines are dropped. `readAs` is the encoding
    // the text was decoded from, which the next save takes into account.
    bool loadText(const QString &text,
                  SYST_FUNC::TextEncoding readAs = SYST_FUNC::TextEncoding::Windows1251);
    // Writes the file; on failure `*error` (when given) holds the reason.
    // A value the file cannot give back as it is (with "#" or ";", extra
    // white space, a line break, or a character the file's encoding lacks)
    // is not written cut: the value the file held before is kept, or the key
    // is left out when there was none; either way a note says so.
    bool save(const QString &fileName, QString *error = nullptr);
    // The notes of the last save, in Russian, each once: those added with
    // addSaveNote before it, then the values it could not store as they stood.
    const QStringList &saveNotes() const { return m_notes; }
    void addSaveNote(const QString &note);
    // Empty when `value` reads back unchanged from a key line of a file in
    // Windows-1251 (or, with `unicode`, in UTF-8); otherwise why not.
    static QString unstorableReason(const QString &value, bool unicode = false);
    // The text as it is written to the file (see save), with the encoding.
    QString fileText(SYST_FUNC::TextEncoding *encoding, QStringList *notes) const;
    QString toText() const;
    // Dumps the text to standard output.
    void print() const;
    void clear();

    // Empty name: no group. An invalid name is refused and the group kept.
    bool setGroup(const QString &name);
    bool endGroup();
    QString group() const { return m_group; }

    // The first matching key's value, or `def` when there is none (then
    // written into the store when `writeDefault` is set).
    QString readEntry(const QString &key, const QString &def = QString(),
                      bool writeDefault = false);
    // Decimal value; `def` when missing or not a number.
    int readNumEntry(const QString &key, int def = 0, bool writeDefault = false);
    // True when the value starts with one of y, Y, t, T, д, Д, 1; the stored
    // value "--" and a missing key give `def`.
    bool readBoolEntry(const QString &key, bool def = false, bool writeDefault = false);

    // Replaces the value of the first matching key, or creates the key.
    // Invalid or empty key names are ignored; an invalid section prefix means
    // the current group.
    void writeEntry(const QString &key, const QString &value);
    // Keeps a string literal from choosing the bool overload.
    void writeEntry(const QString &key, const char *value);
    void writeEntry(const QString &key, bool value);
    void writeEntry(const QString &key, int value);

    // The same for a key constant. Its section is used as it stands (empty:
    // above any header), whatever the current group; a constant with an
    // invalid section or name reads the default and writes nothing.
    QString readEntry(const SettingsKey &key, const QString &def = QString(),
                      bool writeDefault = false);
    int readNumEntry(const SettingsKey &key, int def = 0, bool writeDefault = false);
    bool readBoolEntry(const SettingsKey &key, bool def = false, bool writeDefault = false);
    void writeEntry(const SettingsKey &key, const QString &value);
    void writeEntry(const SettingsKey &key, const char *value);
    void writeEntry(const SettingsKey &key, bool value);
    void writeEntry(const SettingsKey &key, int value);

    const QList<IniEntry> &entries() const { return m_entries; }

    // Non-empty, and only letters and digits of any script or "_".
    static bool isValidName(const QString &name);

private:
    struct ResolvedKey {
        QString section;
        QString key;
    };
    ResolvedKey resolve(const QString &key) const;
    static bool isUsable(const SettingsKey &key);
    int findKey(const QString &section, const QString &key) const;
    int findKey(const SettingsKey &key) const;
    // Creates the key, or replaces the value of the first one; `r` is valid.
    void store(const ResolvedKey &r, const QString &value);
    void parseLine(const QString &line, QString &parseSection);
    // The text of the entries; `valueOf` may change a key's value, or return
    // false to leave the key out.
    QString composeText(const std::function<bool(const IniEntry &, QString *)> &valueOf) const;

    QList<IniEntry> m_entries;
    QString m_group;
    SYST_FUNC::TextEncoding m_fileEncoding = SYST_FUNC::TextEncoding::Windows1251;
    QStringList m_pendingNotes;
    QStringList m_notes;
};
