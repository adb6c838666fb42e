#include "updatemessages.h"

namespace app {
namespace {

const QString kPrefix = QStringLiteral("Nie udało się zaktualizować listy stacji.\n");

QString hostOf(const QUrl& source) { return source.host().isEmpty() ? source.toString() : source.host(); }

}  // namespace

QString fetchFailureMessage(const FetchResult& result, const QUrl& source, qint64 maxBodyBytes) {
  const QString host = hostOf(source);
  switch (result.failure) {
    case FetchFailure::HostNotFound:
      return kPrefix + QStringLiteral("Nie można odnaleźć serwera %1. Sprawdź połączenie z internetem.").arg(host);
    case FetchFailure::ConnectionRefused:
      return kPrefix + QStringLiteral("Serwer %1 odmówił połączenia. Spróbuj ponownie później.").arg(host);
    case FetchFailure::Unreachable:
      return kPrefix + QStringLiteral("Połączenie z serwerem %1 zostało przerwane. Sprawdź połączenie z internetem.")
                           .arg(host);
    case FetchFailure::SecureChannel:
      return kPrefix + QStringLiteral("Nie można nawiązać bezpiecznego połączenia z serwerem %1.").arg(host);
    case FetchFailure::HttpStatus:
      return kPrefix + QStringLiteral("Serwer %1 zwrócił błąd HTTP %2.").arg(host).arg(result.httpStatus);
    case FetchFailure::Timeout:
      return kPrefix + QStringLiteral("Serwer %1 nie odpowiada (przekroczony czas oczekiwania).").arg(host);
    case FetchFailure::TooLarge:
      return kPrefix + QStringLiteral("Serwer %1 przysłał zbyt dużo danych (ponad %2 MB).")
                           .arg(host)
                           .arg(maxBodyBytes / (1024 * 1024));
    case FetchFailure::Other:
    case FetchFailure::None:
      break;
  }
  return kPrefix + QStringLiteral("Błąd pobierania z serwera %1: %2").arg(host, result.detail);
}

QString parseFailureMessage(catalogue::sources::ParseFailure failure, const QUrl& source) {
  using catalogue::sources::ParseFailure;
  if (failure == ParseFailure::NotJson)
    return kPrefix + QStringLiteral("Serwer %1 przysłał uszkodzone dane.").arg(hostOf(source));
  return kPrefix + QStringLiteral("Serwer %1 przysłał dane w nieoczekiwanym formacie.").arg(hostOf(source));
}

QString emptyListMessage(const QUrl& source) {
  return kPrefix + QStringLiteral("Serwer %1 przysłał listę bez żadnej stacji, którą można dodać.").arg(hostOf(source));
}

QString noRadioServerMessage(const QString& roundRobinName) {
  return kPrefix + QStringLiteral("Nie można odnaleźć serwerów katalogu stacji radiowych (%1). "
                                  "Sprawdź połączenie z internetem.")
                       .arg(roundRobinName);
}

QString serversTriedNote(const QList<QUrl>& servers) {
  QStringList hosts;
  for (const QUrl& server : servers) hosts << hostOf(server);
  return QStringLiteral("\nŻaden z serwerów katalogu nie przysłał listy; sprawdzone serwery: %1.")
      .arg(hosts.join(QStringLiteral(", ")));
}

QString updateQuestion(std::size_t tvCount, std::size_t radioCount) {
  return QStringLiteral(
             "Pobrano nowe listy stacji: telewizyjnych – %1, radiowych – %2.\n"
             "Czy zastąpić nimi obecne listy? Ulubione pozostaną bez zmian.")
      .arg(tvCount)
      .arg(radioCount);
}

}  // namespace app
