#include "isoregions.h"

#include <QHash>

#include "catalogue/regions.h"

namespace catalogue::sources {
namespace {

struct IsoName {
  const char* code;  // the row's own code first, then codes that fall to the same row
  const char16_t* region;
};

// Keyed by region name so that a row can never be mistaken for its neighbour. Rows inside the +1
// dialling zone are countries or territories of their own in ISO 3166 (Bermuda BM, Jamaica JM …);
// Alaska, Hawaii and the Canary Islands are subdivisions of theirs.
const IsoName kIsoNames[] = {
    {"AF", u"Afganistan"},
    {"US-AK", u"Alaska"},
    {"AL", u"Albania"},
    {"DZ", u"Algieria"},
    {"AD", u"Andora"},
    {"AO", u"Angola"},
    {"AI", u"Anguilla"},
    {"AG", u"Antiqua i Barbuda"},
    {"AN", u"Antyle Holenderskie"},
    // The former Netherlands Antilles, split since into these three codes.
    {"CW", u"Antyle Holenderskie"},
    {"SX", u"Antyle Holenderskie"},
    {"BQ", u"Antyle Holenderskie"},
    {"SA", u"Arabia Saudyjska"},
    {"AR", u"Argentyna"},
    {"AM", u"Armenia"},
    {"AW", u"Aruba"},
    {"AU", u"Australia"},
    {"AT", u"Austria"},
    {"AZ", u"Azerbejdżan"},
    {"BS", u"Bahama Wyspy"},
    {"BH", u"Bahrajn"},
    {"BD", u"Bangladesz"},
    {"BB", u"Barbados"},
    {"BE", u"Belgia"},
    {"BZ", u"Belize"},
    {"BJ", u"Benin"},
    {"BM", u"Bermudy"},
    {"BT", u"Bhutan"},
    {"BY", u"Białoruś"},
    {"BO", u"Boliwia"},
    {"BA", u"Bośnia i Hercegowina"},
    {"BW", u"Botswana"},
    {"BR", u"Brazylia"},
    {"BN", u"Brunei"},
    {"BG", u"Bułgaria"},
    {"BF", u"Burkina Faso"},
    {"BI", u"Burundi"},
    {"CL", u"Chile"},
    {"CN", u"Chiny"},
    {"HR", u"Chorwacja"},
    {"CY", u"Cypr"},
    {"TD", u"Czad"},
    {"CZ", u"Czechy"},
    {"DK", u"Dania"},
    {"DM", u"Dominika"},
    {"DO", u"Dominikana"},
    {"VG", u"Wyspy Dziewicze UK"},
    {"VI", u"Wyspy Dziewicze USA"},
    {"US-VI", u"Wyspy Dziewicze USA"},
    {"DJ", u"Dżibuti"},
    {"EG", u"Egipt"},
    {"EC", u"Ekwador"},
    {"ER", u"Erytrea"},
    {"EE", u"Estonia"},
    {"ET", u"Etiopia"},
    {"FK", u"Falklandy"},
    {"FJ", u"Fidżi"},
    {"FI", u"Finlandia"},
    {"FR", u"Francja"},
    {"GM", u"Gambia"},
    {"GH", u"Ghana"},
    {"GI", u"Gibraltar"},
    {"GR", u"Grecja"},
    {"GE", u"Gruzja"},
    {"GY", u"Gujana"},
    {"GF", u"Gujana Francuska"},
    {"GP", u"Gwadelupa"},
    {"GT", u"Gwatemala"},
    {"GW", u"Gwinea Bissau"},
    {"GN", u"Gwinea Rep."},
    {"GQ", u"Gwinea Równik"},
    {"HT", u"Haiti"},
    {"US-HI", u"Hawaje"},
    {"ES", u"Hiszpania"},
    {"NL", u"Holandia"},
    {"HN", u"Honduras"},
    {"HK", u"Hong-Kong"},
    {"IN", u"Indie"},
    {"ID", u"Indonezja"},
    {"IQ", u"Irak"},
    {"IR", u"Iran"},
    {"IE", u"Irlandia"},
    {"IS", u"Islandia"},
    {"IL", u"Izrael"},
    {"JM", u"Jamajka"},
    {"JP", u"Japonia"},
    {"JO", u"Jordania"},
    {"KH", u"Kambodża"},
    {"CA", u"Kanada"},
    {"ES-CN", u"Kanaryjskie (Wyspy)"},
    // The islands' two provinces, and the code reserved for the islands outside ISO 3166-2.
    {"ES-GC", u"Kanaryjskie (Wyspy)"},
    {"ES-TF", u"Kanaryjskie (Wyspy)"},
    {"IC", u"Kanaryjskie (Wyspy)"},
    {"KZ", u"Kazachstan"},
    {"KE", u"Kenia"},
    {"KG", u"Kirgistan"},
    {"CO", u"Kolumbia"},
    {"CD", u"Kongo"},
    {"KR", u"Korea Płd."},
    {"KP", u"Koreańska Północna"},
    {"CR", u"Kostaryka"},
    {"CU", u"Kuba"},
    {"KW", u"Kuwejt"},
    {"LB", u"Liban"},
    {"LR", u"Liberia"},
    {"LY", u"Libia"},
    {"LI", u"Liechtenstein"},
    {"LT", u"Litwa"},
    {"LU", u"Luksemburg"},
    {"LV", u"Łotwa"},
    {"MK", u"Macedonia"},
    {"MY", u"Malezja"},
    {"MT", u"Malta"},
    {"MA", u"Maroko"},
    {"MX", u"Meksyk"},
    {"MD", u"Mołdawia"},
    {"MN", u"Mongolia"},
    {"NP", u"Nepal"},
    {"DE", u"Niemcy"},
    {"NG", u"Nigeria"},
    {"NI", u"Nikaragua"},
    {"NO", u"Norwegia"},
    {"NZ", u"Nowa Zelandia"},
    {"PK", u"Pakistan"},
    {"PW", u"Palau (Belau)"},
    {"PS", u"Palestyna"},
    {"PA", u"Panama"},
    {"PY", u"Paragwaj"},
    {"PE", u"Peru"},
    {"PL", u"Polska"},
    {"PT", u"Portugalia"},
    {"ZA", u"RPA"},
    {"RU", u"Rosja"},
    {"RO", u"Rumunia"},
    {"SV", u"Salwador"},
    {"SM", u"San Marino"},
    {"SN", u"Senegal"},
    {"SC", u"Seszele"},
    {"SG", u"Singapur"},
    {"SK", u"Słowacja"},
    {"SI", u"Słowenia"},
    {"SD", u"Sudan"},
    {"SY", u"Syria"},
    {"CH", u"Szwajcaria"},
    {"SE", u"Szwecja"},
    {"TH", u"Tajlandia"},
    {"TW", u"Tajwan"},
    {"TZ", u"Tanzania"},
    {"TN", u"Tunezja"},
    {"TR", u"Turcja"},
    {"UA", u"Ukraina"},
    {"UY", u"Urugwaj"},
    {"US", u"USA"},
    {"UZ", u"Uzbekistan"},
    {"VA", u"Watykan"},
    {"VE", u"Wenezuela"},
    {"HU", u"Węgry"},
    {"GB", u"Wielka Brytania"},
    {"UK", u"Wielka Brytania"},
    {"VN", u"Wietnam"},
    {"IT", u"Włochy"},
    {"ZM", u"Zambia"},
    {"ZW", u"Zimbabwe"},
    {"AE", u"Zjedn. Emiraty Arabskie"},
};

struct IsoIndex {
  QHash<QString, int> rowByCode;
  QHash<int, QString> codeByRow;
};

const IsoIndex& isoIndex() {
  static const IsoIndex index = [] {
    IsoIndex built;
    for (const IsoName& entry : kIsoNames) {
      const int row = regionRowByName(QStringView(entry.region));
      Q_ASSERT_X(row > 0, "isoIndex", entry.code);
      const QString code = QString::fromLatin1(entry.code);
      built.rowByCode.insert(code, row);
      if (!built.codeByRow.contains(row)) built.codeByRow.insert(row, code);
    }
    return built;
  }();
  return index;
}

}  // namespace

int regionRowForIso(QStringView country, QStringView subdivision) {
  const IsoIndex& index = isoIndex();
  const QString countryCode = country.trimmed().toString().toUpper();
  QString subdivisionCode = subdivision.trimmed().toString().toUpper();
  // A subdivision given without its country ("AK" beside "US") is read as the country's.
  if (!subdivisionCode.isEmpty() && !subdivisionCode.contains(QLatin1Char('-')) && !countryCode.isEmpty())
    subdivisionCode = countryCode + QLatin1Char('-') + subdivisionCode;
  if (!subdivisionCode.isEmpty() &&
      (countryCode.isEmpty() || subdivisionCode.startsWith(countryCode + QLatin1Char('-')))) {
    const auto found = index.rowByCode.constFind(subdivisionCode);
    if (found != index.rowByCode.constEnd()) return found.value();
  }
  if (countryCode.size() != 2) return -1;
  return index.rowByCode.value(countryCode, -1);
}

QString isoCodeForRow(int row) { return isoIndex().codeByRow.value(row); }

}  // namespace catalogue::sources
