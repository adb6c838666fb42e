#pragma once

#include <QString>
#include <QUrl>

#include "app/update/bodyfetch.h"
#include "catalogue/sources/directories.h"

namespace app {

// The one Polish message that tells the user why the update failed, by what went wrong with
// which list (the server is named by its host).
QString fetchFailureMessage(const FetchResult& result, const QUrl& source, qint64 maxBodyBytes);
QString parseFailureMessage(catalogue::sources::ParseFailure failure, const QUrl& source);
QString emptyListMessage(const QUrl& source);
// No server of the radio directory could be found behind its round-robin name.
QString noRadioServerMessage(const QString& roundRobinName);
// Added to the last server's failure when several servers were tried.
QString serversTriedNote(const QList<QUrl>& servers);

// The question asked before the catalogues are replaced.
QString updateQuestion(std::size_t tvCount, std::size_t radioCount);

}  // namespace app
