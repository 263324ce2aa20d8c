#include "core/run/answer_options.h"

#include <QSettings>

namespace
{
const QString kAcceptTyposKey = QStringLiteral("answers/accept_one_letter_typos");
} // namespace

void AnswerOptions::read(QSettings &settings)
{
    acceptOneLetterTypos =
        settings.value(kAcceptTyposKey, AnswerOptions().acceptOneLetterTypos).toBool();
}

void AnswerOptions::write(QSettings &settings) const
{
    settings.setValue(kAcceptTyposKey, acceptOneLetterTypos);
}
