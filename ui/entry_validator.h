// A validator that refuses, keystroke by keystroke, the texts that an entry rule forbids, and
// keeps the reason for the indication shown to the user.
#pragma once

#include <QValidator>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quarnel {

class EntryValidator : public QValidator {
  Q_OBJECT

 public:
  using Rule = std::function<std::optional<std::string>(std::string_view text)>;

  EntryValidator(Rule rule, QObject* parent);

  State validate(QString& input, int& position) const override;
  // Why the last refused text was refused.
  const QString& LastProblem() const { return lastProblem_; }

 private:
  Rule rule_;
  mutable QString lastProblem_;
};

// Shows message as a tooltip under widget: the indication that an entry was refused.
void ShowEntryRefusal(QWidget& widget, const QString& message);

}  // namespace quarnel
