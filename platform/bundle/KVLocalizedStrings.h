// A bundle's localised texts: the table Resources/<language>.lproj/
// Localizable.strings for the user's language. Texts the table lacks are
// their own keys, so an English key is its own English text.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class KVLocalizedStrings {
public:
    // The table of the first of the languages the resource folder has a
    // Localizable.strings for (then English); an empty table when there is
    // none. A table that cannot be read is named on one log line and skipped.
    static KVLocalizedStrings forResources(const std::string& resourcesPath, const std::vector<std::string>& languages);
    // The user's languages, most preferred first, from LANGUAGE, LC_ALL,
    // LC_MESSAGES and LANG ("fr_FR.UTF-8" gives "fr_FR" and "fr").
    static std::vector<std::string> preferredLanguages();

    // Reads a strings file: the text form ("key" = "value"; with comments)
    // in UTF-8 or UTF-16 with a byte-order mark, or an XML or binary
    // property list. Nothing, with a one-line reason naming the file (and
    // line), when it cannot be read.
    static std::optional<KVLocalizedStrings> load(const std::string& path, std::string* error);
    static std::optional<KVLocalizedStrings> parse(const std::string& bytes, const std::string& name, std::string* error);

    // The text for the key, or the key itself.
    std::string localizedString(const std::string& key) const;
    size_t count() const { return strings_.size(); }

    // The running game's table (empty until set); any thread.
    static void setMainTable(std::shared_ptr<const KVLocalizedStrings> table);
    static std::shared_ptr<const KVLocalizedStrings> mainTable();

private:
    std::map<std::string, std::string> strings_;
};
