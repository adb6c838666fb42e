#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <QtGlobal>
#include <span>

namespace catalogue::sources {

enum class Medium { Tv, Radio };

// The Categories bits that a directory's categories or free tags stand for ("news" → "informacje",
// "jazz" → "muzyczne" …). "erotyczne" is given only to TV: the radio editor has no box for it.
quint8 categoriesFromKeywords(const QStringList& keywords, Medium medium);
quint8 categoriesFromKeywords(std::span<const QStringView> keywords, Medium medium);

// The "polonijne" bit for a station in Polish broadcasting from outside Poland, else 0.
// `languages` are names or codes as the directories write them ("polish", "pl", "pol").
quint8 diasporaCategory(const QStringList& languages, QStringView countryCode);
quint8 diasporaCategory(std::span<const QStringView> languages, QStringView countryCode);

// The radio player kind for a stream of the given codec ("MP3", "OGG", "WMA" …) at the address.
quint8 radioPlayerKind(QStringView codec, QStringView address, bool httpLiveStreaming);

// The TV player kind for a stream at the address (by its protocol and file type).
quint8 tvPlayerKind(QStringView address);

// A bit rate in kbit/s as QualityBps; 0 for none, and within the field's range.
qint32 qualityFromKbps(qint64 kbps);

}  // namespace catalogue::sources
