#pragma once
// Opens a document installed with the program (a manual) with the desktop's handler, and tells
// the user why when it cannot: "文件名无效!" for a file that is not there, "没有相关联的应用程序!"
// when no handler opened it. The desktop's opener does not tell the two apart, so the file is
// looked for first. The texts are translated in the caller's language section.
class QString;
class QWidget;

bool OpenInstalledDocument(const QString &path, QWidget *owner, const QString &langSection);
