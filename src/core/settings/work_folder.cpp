#include "core/settings/work_folder.h"

#include "core/settings/app_settings.h"
#include "core/settings/ini_reader.h"
#include "core/settings/settings_keys.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace
{

QString sub(const QString &dir, const char *name)
{
    return QDir(dir).filePath(QLatin1String(name));
}

// Copies the files of `from` matching `pattern` that `to` lacks. The copies
// belong to the user: a file installed read-only must still be saveable.
void copyMissing(const QString &from, const QString &to, const QString &pattern,
                 QStringList &problems)
{
    const QFileInfoList files =
        QDir(from).entryInfoList(QStringList{pattern}, QDir::Files | QDir::Readable, QDir::Name);
    for (const QFileInfo &file : files) {
        const QString target = QDir(to).filePath(file.fileName());
        if (QFileInfo::exists(target))
            continue;
        if (!QFile::copy(file.absoluteFilePath(), target)) {
            problems << QStringLiteral("Не удалось скопировать %1 в %2")
                            .arg(file.absoluteFilePath(), to);
            continue;
        }
        QFile::setPermissions(target,
                              QFile::permissions(target) | QFile::ReadOwner | QFile::WriteOwner);
    }
}

// A new folder, filled from `from` when the installed one exists.
void provideNewFolder(const QString &folder, const QString &from, const QString &pattern,
                      QStringList &problems)
{
    if (QFileInfo::exists(folder))
        return;
    if (!QDir().mkpath(folder)) {
        problems << QStringLiteral("Не удалось создать папку %1").arg(folder);
        return;
    }
    if (!from.isEmpty() && QFileInfo(from).isDir())
        copyMissing(from, folder, pattern, problems);
}

void provideIcons(const QString &target, const QString &source, QStringList &problems)
{
    if (!QFileInfo(source).isDir()) {
        problems << QStringLiteral("Нет папки с картинками кнопок %1").arg(source);
        return;
    }
    // Earlier versions linked the folder to the installed pictures; such a
    // link points into the package's files and dangles once it is removed.
    // The installed pictures are found through the search path instead.
    if (QFileInfo(target).isSymLink())
        QFile::remove(target);
    // The user's own pictures folder gets the ones it lacks, as copies.
    const QFileInfo now(target);
    if (now.isDir())
        copyMissing(source, target, QStringLiteral("*.png"), problems);
}

// The settings a learner starts with: a readable learning font on light
// panes, the default categories (so no warning greets the first start) and
// the open dialog in the example dictionaries.
bool writeFirstSettings(const QString &file, const QString &examplesDir)
{
    iniReader ini;
    ini.writeEntry(SettingsKeys::categories, defaultCategoriesText());
    if (QFileInfo(examplesDir).isDir())
        writeDictDir(ini, examplesDir);
    ini.writeEntry(SettingsKeys::fontFamily, QStringLiteral("DejaVu Sans"));
    ini.writeEntry(SettingsKeys::fontSize, 14);
    ini.writeEntry(SettingsKeys::fontWeight, 50);
    ini.writeEntry(SettingsKeys::fontItalic, false);
    ini.writeEntry(SettingsKeys::fontColor.red, 0);
    ini.writeEntry(SettingsKeys::fontColor.green, 0);
    ini.writeEntry(SettingsKeys::fontColor.blue, 127);
    ini.writeEntry(SettingsKeys::backgroundColor.red, 236);
    ini.writeEntry(SettingsKeys::backgroundColor.green, 236);
    ini.writeEntry(SettingsKeys::backgroundColor.blue, 236);
    return ini.save(file);
}

} // namespace

bool holdsProgramFiles(const QString &dir)
{
    return QFileInfo(sub(dir, "settings.ini")).isFile() ||
           QFileInfo(sub(dir, "icons/Caption_icon.png")).isFile();
}

bool canWriteIn(const QString &dir)
{
    const QFileInfo info(dir);
    return info.isDir() && info.isWritable();
}

QStringList installedDataFolders(const QString &appDir)
{
    const QDir bin(appDir);
    return {QDir::cleanPath(bin.filePath(QStringLiteral(LEXITOR_DATA_FROM_BIN))),
            QStringLiteral(LEXITOR_INSTALLED_DATA), QDir::cleanPath(bin.absolutePath())};
}

QString findDataFolder(const QStringList &candidates)
{
    for (const QString &dir : candidates) {
        if (!dir.isEmpty() && QFileInfo(sub(dir, "icons")).isDir())
            return QDir(dir).absolutePath();
    }
    return {};
}

WorkFolder chooseWorkFolder(const QString &currentDir, const QString &userDir,
                            const QString &dataFolder,
                            const std::function<bool(const QString &)> &writable)
{
    WorkFolder folder;
    if (holdsProgramFiles(currentDir) && writable(currentDir)) {
        folder.path = QDir(currentDir).absolutePath();
        return folder;
    }
    if (userDir.isEmpty()) {
        folder.path = QDir(currentDir).absolutePath();
        folder.problems << QStringLiteral("Не удалось определить папку пользователя; программа "
                                          "работает в папке %1")
                               .arg(folder.path);
        return folder;
    }
    folder.path = QDir(userDir).absolutePath();
    folder.userFolder = true;
    folder.problems = prepareUserFolder(folder.path, dataFolder);
    return folder;
}

QStringList prepareUserFolder(const QString &userDir, const QString &dataFolder)
{
    QStringList problems;
    if (!QDir().mkpath(userDir)) {
        problems << QStringLiteral("Не удалось создать рабочую папку %1").arg(userDir);
        return problems;
    }
    if (dataFolder.isEmpty())
        problems << QStringLiteral("Не найдены установленные файлы программы (картинки кнопок, "
                                   "примеры словарей)");
    else
        provideIcons(sub(userDir, "icons"), sub(dataFolder, "icons"), problems);

    const QString exampleSounds = dataFolder.isEmpty() ? QString() : sub(dataFolder, "sounds");
    provideNewFolder(sub(userDir, "sounds"), exampleSounds, QStringLiteral("*"), problems);
    const QString examples = sub(userDir, "examples");
    if (!dataFolder.isEmpty() && QFileInfo(sub(dataFolder, "examples")).isDir())
        provideNewFolder(examples, sub(dataFolder, "examples"), QStringLiteral("*.xml"), problems);

    const QString settings = sub(userDir, "settings.ini");
    if (!QFileInfo::exists(settings) && !writeFirstSettings(settings, examples))
        problems << QStringLiteral("Не удалось записать %1").arg(settings);
    return problems;
}
