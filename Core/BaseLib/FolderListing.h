#pragma once

#include <QSet>
#include <QStringList>

// Lists plug-in files. Entries of a folder that match the name filters (files
// and folders alike, hidden ones skipped) come first, sorted by name ignoring
// case, each as folder + "/" + name; then, when recursive, each subfolder is
// listed the same way, depth first. Links to folders are followed, but every
// real folder is visited once per listing object, so overlapping or linked
// plug-in folders do not yield a file twice. A relative folder is listed as
// the working folder's, with absolute paths.
class FolderListing
{
public:
    // Folders whose name ends in skipSuffix are matched but never entered.
    explicit FolderListing(QString skipSuffix = QString()) : m_skipSuffix(std::move(skipSuffix)) {}

    void List(QStringList& out, const QString& folder, const QStringList& nameFilters, bool recursive);
    QStringList List(const QString& folder, const QStringList& nameFilters, bool recursive);

private:
    QString m_skipSuffix;
    QSet<QString> m_visited;
};
