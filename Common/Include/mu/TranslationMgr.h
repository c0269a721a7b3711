#pragma once
// Translation tables read from XML files. A manager holds any number of
// tables, each under the FNV-1a hash of its language followed by its name;
// a table maps the FNV-1a hash of a text's identifier to its translation.
// Lookups return pointers into the tables, valid while the manager lives.
#include <concepts>
#include <cstdint>
#include <map>
#include <memory>

#include <fo/FolderType.h>
#include <td/String.h>

namespace mu
{
// A table of plain translations.
class _NTR
{
public:
    std::map<uint32_t, td::String> items;
};

// A table of translations with a label and a tool tip each.
class _DPTR
{
public:
    struct Entry
    {
        td::String translation;
        td::String label;
        td::String toolTip;
    };
    std::map<uint32_t, Entry> items;
};

template <class TABLE>
class TranslationMgrBase
{
public:
    // kind: the folder kind of the application settings that holds the
    // manager's files, as folder / language / (name + ".xml").
    explicit TranslationMgrBase(fo::FolderType kind)
        : _kind(kind)
    {
    }

    // The table's key. A table is read once; a missing or unreadable file
    // stores none, so the next load tries the file again. A null language is
    // the settings' translation extension.
    unsigned loadTranslation(const char* name, const char* language) requires std::same_as<TABLE, _NTR>;
    unsigned loadDPTranslation(const char* name, const char* language) requires std::same_as<TABLE, _DPTR>;

    // The translation of text (its length in length), or text itself with
    // length untouched when the table or the identifier is missing. text
    // must not be null.
    const char* trc(unsigned key, const char* text, unsigned long& length) const requires std::same_as<TABLE, _NTR>;

    // The translation of id with its label and tool tip; id itself, with both
    // emptied, when the table or the identifier is missing.
    const td::String& trsDP(unsigned key, const td::String& id, td::String& label,
                            td::String& toolTip) const requires std::same_as<TABLE, _DPTR>;
    // The same for a text: length is set only when a translation is found.
    const char* trsDP(unsigned key, const char* text, unsigned long& length, td::String& label,
                      td::String& toolTip) const requires std::same_as<TABLE, _DPTR>;

    fo::FolderType getKind() const { return _kind; }

private:
    using Item = typename decltype(TABLE::items)::mapped_type;

    unsigned load(const char* name, const char* language, const char* title);
    const Item* find(unsigned key, const char* text, size_t length) const;

    std::map<uint32_t, std::unique_ptr<TABLE>> _tables;
    fo::FolderType _kind;
};

extern template class TranslationMgrBase<_NTR>;
extern template class TranslationMgrBase<_DPTR>;

// The same through the application's managers: general, report, data
// provider and menu. Without an application they return 0, null or the
// empty string.
unsigned loadTranslation(const char* name, const char* language);
unsigned loadRepTranslation(const char* name, const char* language);
unsigned loadDPTranslation(const char* name, const char* language);
unsigned loadMenuTranslation(const char* name, const char* language);
const char* trc(unsigned key, const char* text, unsigned long& length);
// length becomes the length of id, then of its translation when there is one.
const char* trcRep(unsigned key, const td::String& id, unsigned long& length);
const char* trcRep(unsigned key, const td::StringExt& id, unsigned long& length);
const td::String& trsDP(unsigned key, const td::String& id, td::String& label, td::String& toolTip);
const char* trcMenu(unsigned key, const char* text, unsigned long& length, td::String& label, td::String& toolTip);
} // namespace mu
