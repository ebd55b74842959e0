#include "scripted_platform.h"

#include "platform/file_access.h"
#include "platform/text_rules.h"

#include <QDir>

QString ScriptedPlatform::inputBox(const QString& prompt)
{
    prompts.append(prompt);
    now = now.addSecs(dialogSeconds);
    if (answers.empty())
        return {};
    QString answer = answers.front();
    answers.pop_front();
    return answer;
}

void ScriptedPlatform::errorBox(const QString& text)
{
    errors.append(text);
}

QString ScriptedPlatform::defaultFolder()
{
    const QString home = qEnvironmentVariable("HOME", QDir::homePath());
    return QDir::fromNativeSeparators(home) + QStringLiteral("/korvelan");
}

void ScriptedPlatform::appendRecord(const std::vector<RecordPart>& parts)
{
    const QStringList notices = file_access::appendRecord(parts);
    if (!notices.isEmpty())
        errorBox(notices.join(QStringLiteral("\n\n")));
}

QByteArray ScriptedPlatform::readFile(const QString& path)
{
    return file_access::readBytes(path);
}

void ScriptedPlatform::makeFolder(const QString& path)
{
    foldersMade.append(path);
    file_access::makeFolder(path);
}

QString ScriptedPlatform::dateText()
{
    const QString text = text_rules::dateText(now.date());
    now = now.addSecs(tickSeconds);
    return text;
}

QString ScriptedPlatform::timeText()
{
    const QString text = text_rules::timeText(now.time());
    now = now.addSecs(tickSeconds);
    return text;
}

double ScriptedPlatform::secondsSinceMidnight()
{
    return QTime(0, 0).secsTo(now.time());
}

void ScriptedPlatform::reseed(double seed)
{
    seededWith = seed;
    random.reseed(seed);
}

float ScriptedPlatform::nextRandom()
{
    if (randomValues.empty())
        return random.next();
    const float value = randomValues.front();
    randomValues.pop_front();
    return value;
}
