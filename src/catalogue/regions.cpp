#include "regions.h"

#include <vector>

namespace catalogue {

// Order matters: the region lists and the editors' region boxes show the rows in this order, and
// row numbers are what the panels keep as the selected region.
const std::array<Region, kRegionCount> Regions = {{
    {u"Ulubione", 0},
    {u"Afganistan", 93},
    {u"Alaska", 1907},
    {u"Albania", 355},
    {u"Algieria", 213},
    {u"Andora", 376},
    {u"Angola", 244},
    {u"Anguilla", 1264},
    {u"Antiqua i Barbuda", 1268},
    {u"Antyle Holenderskie", 599},
    {u"Arabia Saudyjska", 966},
    {u"Argentyna", 54},
    {u"Armenia", 374},
    {u"Aruba", 297},
    {u"Australia", 61},
    {u"Austria", 43},
    {u"Azerbejdżan", 994},
    {u"Bahama Wyspy", 1242},
    {u"Bahrajn", 973},
    {u"Bangladesz", 880},
    {u"Barbados", 1246},
    {u"Belgia", 32},
    {u"Belize", 501},
    {u"Benin", 229},
    {u"Bermudy", 1441},
    {u"Bhutan", 975},
    {u"Białoruś", 375},
    {u"Boliwia", 591},
    {u"Bośnia i Hercegowina", 387},
    {u"Botswana", 267},
    {u"Brazylia", 55},
    {u"Brunei", 673},
    {u"Bułgaria", 359},
    {u"Burkina Faso", 226},
    {u"Burundi", 257},
    {u"Chile", 56},
    {u"Chiny", 86},
    {u"Chorwacja", 385},
    {u"Cypr", 357},
    {u"Czad", 235},
    {u"Czechy", 420},
    {u"Dania", 45},
    {u"Dominika", 1767},
    {u"Dominikana", 1809},
    {u"Wyspy Dziewicze UK", 1284},
    {u"Wyspy Dziewicze USA", 1340},
    {u"Dżibuti", 253},
    {u"Egipt", 20},
    {u"Ekwador", 593},
    {u"Erytrea", 291},
    {u"Estonia", 372},
    {u"Etiopia", 251},
    {u"Falklandy", 500},
    {u"Fidżi", 679},
    {u"Finlandia", 358},
    {u"Francja", 33},
    {u"Gambia", 220},
    {u"Ghana", 233},
    {u"Gibraltar", 350},
    {u"Grecja", 30},
    {u"Gruzja", 995},
    {u"Gujana", 592},
    {u"Gujana Francuska", 594},
    {u"Gwadelupa", 590},
    {u"Gwatemala", 502},
    {u"Gwinea Bissau", 245},
    {u"Gwinea Rep.", 224},
    {u"Gwinea Równik", 240},
    {u"Haiti", 509},
    {u"Hawaje", 1808},
    {u"Hiszpania", 34},
    {u"Holandia", 31},
    {u"Honduras", 504},
    {u"Hong-Kong", 852},
    {u"Indie", 91},
    {u"Indonezja", 62},
    {u"Irak", 964},
    {u"Iran", 98},
    {u"Irlandia", 353},
    {u"Islandia", 354},
    {u"Izrael", 972},
    {u"Jamajka", 1876},
    {u"Japonia", 81},
    {u"Jordania", 962},
    {u"Kambodża", 855},
    {u"Kanada", 100},
    {u"Kanaryjskie (Wyspy)", 34},
    {u"Kazachstan", 7},
    {u"Kenia", 254},
    {u"Kirgistan", 996},
    {u"Kolumbia", 57},
    {u"Kongo", 243},
    {u"Korea Płd.", 82},
    {u"Koreańska Północna", 850},
    {u"Kostaryka", 506},
    {u"Kuba", 53},
    {u"Kuwejt", 965},
    {u"Liban", 961},
    {u"Liberia", 231},
    {u"Libia", 218},
    {u"Liechtenstein", 423},
    {u"Litwa", 370},
    {u"Luksemburg", 352},
    {u"Łotwa", 371},
    {u"Macedonia", 389},
    {u"Malezja", 60},
    {u"Malta", 356},
    {u"Maroko", 212},
    {u"Meksyk", 52},
    {u"Mołdawia", 373},
    {u"Mongolia", 976},
    {u"Nepal", 977},
    {u"Niemcy", 49},
    {u"Nigeria", 234},
    {u"Nikaragua", 505},
    {u"Norwegia", 47},
    {u"Nowa Zelandia", 64},
    {u"Pakistan", 92},
    {u"Palau (Belau)", 680},
    {u"Palestyna", 777},
    {u"Panama", 507},
    {u"Paragwaj", 595},
    {u"Peru", 51},
    {u"Polska", 48},
    {u"Portugalia", 351},
    {u"RPA", 27},
    {u"Rosja", 7},
    {u"Rumunia", 40},
    {u"Salwador", 503},
    {u"San Marino", 378},
    {u"Senegal", 221},
    {u"Seszele", 248},
    {u"Singapur", 65},
    {u"Słowacja", 421},
    {u"Słowenia", 386},
    {u"Sudan", 249},
    {u"Syria", 963},
    {u"Szwajcaria", 41},
    {u"Szwecja", 46},
    {u"Tajlandia", 66},
    {u"Tajwan", 886},
    {u"Tanzania", 255},
    {u"Tunezja", 216},
    {u"Turcja", 90},
    {u"Ukraina", 380},
    {u"Urugwaj", 598},
    {u"USA", 1},
    {u"Uzbekistan", 998},
    {u"Watykan", 39},
    {u"Wenezuela", 58},
    {u"Węgry", 36},
    {u"Wielka Brytania", 44},
    {u"Wietnam", 84},
    {u"Włochy", 39},
    {u"XXX-landia ;)", 6969},
    {u"Zambia", 260},
    {u"Zimbabwe", 263},
    {u"Zjedn. Emiraty Arabskie", 971},
}};

int regionRowById(qint32 id) {
  for (int row = 0; row < kRegionCount; ++row)
    if (Regions[row].Id == id) return row;
  return -1;
}

int regionRowByName(QStringView name) {
  // The rows by the length of their names, in table order, made once: only names of the same
  // length are compared.
  static const std::vector<std::vector<int>> rowsByLength = [] {
    std::vector<std::vector<int>> rows;
    for (int row = 0; row < kRegionCount; ++row) {
      const std::size_t length = QStringView(Regions[row].Name).size();
      if (rows.size() <= length) rows.resize(length + 1);
      rows[length].push_back(row);
    }
    return rows;
  }();
  if (std::size_t(name.size()) >= rowsByLength.size()) return -1;
  for (int row : rowsByLength[name.size()])
    if (name == QStringView(Regions[row].Name, name.size())) return row;
  return -1;
}

}  // namespace catalogue

namespace catalogue {
QString regionName(int row) { return QString::fromUtf16(Regions[row].Name); }
}  // namespace catalogue
