#include "platform/qt_platform.h"

#include "platform/file_access.h"
#include "platform/host_system.h"
#include "platform/prompt_dialog.h"
#include "platform/text_rules.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QMessageBox>

QString QtPlatform::inputBox(const QString& prompt)
{
    return PromptDialog::ask(prompt);
}

void QtPlatform::errorBox(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(), text, QMessageBox::Ok);
    box.exec();
}

void QtPlatform::infoBox(const QString& text)
{
    QMessageBox box(QMessageBox::Information, QCoreApplication::applicationName(), text, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

QString QtPlatform::defaultFolder()
{
    return host_system::defaultDataFolder();
}

void QtPlatform::appendRecord(const std::vector<RecordPart>& parts)
{
    const QStringList notices = file_access::appendRecord(parts);
    if (!notices.isEmpty())
        errorBox(notices.join(QStringLiteral("\n\n")));
}

QByteArray QtPlatform::readFile(const QString& path)
{
    return file_access::readBytes(path);
}

void QtPlatform::makeFolder(const QString& path)
{
    file_access::makeFolder(path);
}

QString QtPlatform::dateText()
{
    return text_rules::dateText(QDate::currentDate());
}

QString QtPlatform::timeText()
{
    return text_rules::timeText(QTime::currentTime());
}

double QtPlatform::secondsSinceMidnight()
{
    return QTime(0, 0).msecsTo(QTime::currentTime()) / 1000.0;
}

void QtPlatform::reseed(double seed)
{
    random_.reseed(seed);
}

float QtPlatform::nextRandom()
{
    return random_.next();
}

void QtPlatform::beep()
{
    QApplication::beep();
}

void QtPlatform::setClipboardImage(const QImage& image)
{
    QGuiApplication::clipboard()->setImage(image);
}

QImage QtPlatform::clipboardImage()
{
    return QGuiApplication::clipboard()->image();
}

void QtPlatform::quit(int status)
{
    QCoreApplication::exit(status);
}
