#pragma once
// Loads a model text into a tokenized model with a collecting logger.
#include <CollectingLog.h>
#include <Vocabulary.h>
#include <cnt/SafeFullVector.h>
#include <memory>
#include <ostream>
#include <sc/Naming.h>
#include <sc/SCLib.h>
#include <sc/TokenizedModel.h>
#include <string>
#include <td/Variant.h>

namespace test
{
inline td::String identity(const char* key) { return td::String(key); }

struct Load
{
    sc::Naming naming;
    cnt::SafeFullVector<td::Variant> header;
    CollectingLog log;
    std::unique_ptr<sc::TokenizedModel> model;
    bool ok = false;

    // translate null leaves the translation to the logger.
    explicit Load(bool withLog = true, sc::TokenizedModel::TranslateFn translate = identity)
    {
        fillVocabulary();
        model = std::make_unique<sc::TokenizedModel>(withLog ? &log : nullptr, header, translate, naming, 0);
    }

    Load& fromString(const std::string& text)
    {
        ok = model->loadFromString(td::String(text.c_str(), text.size()));
        return *this;
    }

    Load& fromFile(const std::string& path)
    {
        ok = model->loadFromFile(td::String(path.c_str()));
        return *this;
    }

    const sc::_tl& line(sc::Group g, sc::ModelLevel level, unsigned i) const
    {
        const sc::_CP& cp = model->getGroupCounts(g, level);
        return model->getLines(level)[cp.headingLine + 1 + i];
    }

    const sc::_TokV& token(const sc::_tl& l, unsigned i) const
    {
        return model->getExpressionTokens()[l.firstToken + i];
    }

    std::string name(sc::UserLabel kind, unsigned pos, sc::ModelLevel level) const
    {
        const td::StringExt* p = naming.getUserLabelName(kind, pos, level);
        return p ? p->c_str() : "";
    }
};

inline std::ostream& operator<<(std::ostream& os, const CollectingLog& log)
{
    for (const auto& e : log.entries)
    {
        os << "  [" << static_cast<int>(e.type) << "] " << e.text;
        for (const std::string& argument : e.arguments)
            os << " <" << argument << ">";
        os << " at " << e.line << ":" << e.column << "\n";
    }
    return os;
}

// A short model around the given lines of the main model's NLEs group.
inline std::string mainModel(const std::string& decls, const std::string& body)
{
    return "Header:\nend\nModel [type = NL, eps = 1e-6]\nVars\n" + decls + "\nNLEs\n" + body + "\nend\n";
}
} // namespace test
