#pragma once

#include <QString>
#include <QStringView>

namespace catalogue::sources {

// The row of Regions for an ISO 3166-1 alpha-2 country code ("PL"), refined by an ISO 3166-2
// subdivision ("US-AK", "ES-TF") where the table keeps that part of a country as a region of its
// own. Letter case does not matter; "UK" is taken for "GB", as some directories write it. -1 when
// the table has no region for the place.
int regionRowForIso(QStringView country, QStringView subdivision = {});

// The code by which a row is known: a country code, or a subdivision code for the rows that are
// part of a country ("US-AK"). Empty for "Ulubione" and the rows that are no place.
QString isoCodeForRow(int row);

}  // namespace catalogue::sources
