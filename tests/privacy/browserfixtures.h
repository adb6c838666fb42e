#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QString>
#include <QStringList>
#include <sqlite3.h>

#include "support/filebytes.h"
#include "treebuilder.h"

// Browser databases as the browsers lay them out (the tables the cleaner meets, with the columns
// and keys Firefox 153 and Chromium 156 give them), filled with a few rows of each kind.
namespace browserfixtures {

inline bool runScript(const QString& file, const QByteArray& script) {
  QDir().mkpath(QFileInfo(file).path());
  sqlite3* db = nullptr;
  const bool ok = sqlite3_open(QFile::encodeName(file).constData(), &db) == SQLITE_OK &&
                  sqlite3_exec(db, script.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
  sqlite3_close(db);
  return ok;
}

// Rows of a query, columns joined by '|'; {"error"} when it cannot run. Read-only.
inline QStringList rows(const QString& file, const char* sql) {
  sqlite3* db = nullptr;
  QStringList found;
  if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return {QStringLiteral("error")};
  }
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) found << QStringLiteral("error");
  while (statement != nullptr && sqlite3_step(statement) == SQLITE_ROW) {
    QStringList columns;
    for (int i = 0; i < sqlite3_column_count(statement); ++i)
      columns << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, i)));
    found << columns.join(QLatin1Char('|'));
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return found;
}

using testsupport::fileBytes;

// Every byte of every file below the folders, a link by its text: to show that nothing changed.
inline QMap<QString, QByteArray> snapshot(const QStringList& folders) {
  QMap<QString, QByteArray> files;
  for (const QString& folder : folders)
    for (const QString& name : treebuilder::contents(folder)) {
      const QFileInfo info(folder + QLatin1Char('/') + name);
      files[info.filePath()] = info.isSymLink() ? info.symLinkTarget().toUtf8()
                               : info.isFile()  ? fileBytes(info.filePath())
                                                : QByteArray("folder");
    }
  return files;
}

const QByteArray kFirefoxSchema = R"(
PRAGMA journal_mode = WAL;
CREATE TABLE moz_origins ( id INTEGER PRIMARY KEY, prefix TEXT NOT NULL, host TEXT NOT NULL, frecency INTEGER NOT NULL, recalc_frecency INTEGER NOT NULL DEFAULT 0, alt_frecency INTEGER, recalc_alt_frecency INTEGER NOT NULL DEFAULT 0, block_until_ms INTEGER, block_pages_until_ms INTEGER, UNIQUE (prefix, host) );
CREATE TABLE moz_places (   id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, rev_host LONGVARCHAR, visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 NOT NULL, typed INTEGER DEFAULT 0 NOT NULL, frecency INTEGER DEFAULT -1 NOT NULL, last_visit_date INTEGER , guid TEXT, foreign_count INTEGER DEFAULT 0 NOT NULL, url_hash INTEGER DEFAULT 0 NOT NULL , description TEXT, preview_image_url TEXT, site_name TEXT, origin_id INTEGER REFERENCES moz_origins(id), recalc_frecency INTEGER NOT NULL DEFAULT 0, alt_frecency INTEGER, recalc_alt_frecency INTEGER NOT NULL DEFAULT 0);
CREATE TABLE moz_places_extra (  place_id INTEGER PRIMARY KEY NOT NULL, sync_json TEXT, FOREIGN KEY (place_id) REFERENCES moz_places(id) ON DELETE CASCADE );
CREATE TABLE moz_historyvisits (  id INTEGER PRIMARY KEY, from_visit INTEGER, place_id INTEGER, visit_date INTEGER, visit_type INTEGER, session INTEGER, source INTEGER DEFAULT 0 NOT NULL, triggeringPlaceId INTEGER);
CREATE TABLE moz_historyvisits_extra (  visit_id INTEGER PRIMARY KEY NOT NULL, sync_json TEXT, FOREIGN KEY (visit_id) REFERENCES moz_historyvisits(id) ON   DELETE CASCADE);
CREATE TABLE moz_inputhistory (  place_id INTEGER NOT NULL, input LONGVARCHAR NOT NULL, use_count INTEGER, PRIMARY KEY (place_id, input));
CREATE TABLE moz_bookmarks (  id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL, parent INTEGER, position INTEGER, title LONGVARCHAR, keyword_id INTEGER, folder_type TEXT, dateAdded INTEGER, lastModified INTEGER, guid TEXT, syncStatus INTEGER NOT NULL DEFAULT 0, syncChangeCounter INTEGER NOT NULL DEFAULT 1);
CREATE TABLE moz_keywords (  id INTEGER PRIMARY KEY AUTOINCREMENT, keyword TEXT UNIQUE, place_id INTEGER, post_data TEXT);
CREATE TABLE moz_anno_attributes (  id INTEGER PRIMARY KEY, name VARCHAR(32) UNIQUE NOT NULL);
CREATE TABLE moz_annos (  id INTEGER PRIMARY KEY, place_id INTEGER NOT NULL, anno_attribute_id INTEGER, content LONGVARCHAR, flags INTEGER DEFAULT 0, expiration INTEGER DEFAULT 0, type INTEGER DEFAULT 0, dateAdded INTEGER DEFAULT 0, lastModified INTEGER DEFAULT 0);
CREATE TABLE moz_places_metadata_search_queries ( id INTEGER PRIMARY KEY, terms TEXT NOT NULL UNIQUE );
CREATE TABLE moz_places_metadata (id INTEGER PRIMARY KEY, place_id INTEGER NOT NULL, referrer_place_id INTEGER, created_at INTEGER NOT NULL DEFAULT 0, updated_at INTEGER NOT NULL DEFAULT 0, total_view_time INTEGER NOT NULL DEFAULT 0, typing_time INTEGER NOT NULL DEFAULT 0, key_presses INTEGER NOT NULL DEFAULT 0, scrolling_time INTEGER NOT NULL DEFAULT 0, scrolling_distance INTEGER NOT NULL DEFAULT 0, document_type INTEGER NOT NULL DEFAULT 0, search_query_id INTEGER, FOREIGN KEY (place_id) REFERENCES moz_places(id) ON DELETE CASCADE, FOREIGN KEY (referrer_place_id) REFERENCES moz_places(id) ON DELETE CASCADE, FOREIGN KEY(search_query_id) REFERENCES moz_places_metadata_search_queries(id) ON DELETE CASCADE CHECK(place_id != referrer_place_id) );
)";

// Page 1 was only visited (and typed), 2 is bookmarked, 3 has a keyword, 4 an annotation.
const QByteArray kFirefoxRows = R"(
INSERT INTO moz_origins VALUES (1, 'http://', 'visited.example', 100, 0, NULL, 0, NULL, NULL),
  (2, 'https://', 'kept.example', 100, 0, NULL, 0, NULL, NULL);
INSERT INTO moz_places (id, url, title, visit_count, typed, last_visit_date, foreign_count, origin_id) VALUES
  (1, 'http://visited.example/', 'Odwiedzona', 2, 1, 1700000000000000, 0, 1),
  (2, 'https://kept.example/bookmark', 'Zakładka', 1, 1, 1700000000000000, 1, 2),
  (3, 'https://kept.example/keyword', 'Słowo', 1, 0, 1700000000000000, 1, 2),
  (4, 'https://kept.example/annotated', 'Adnotacja', 1, 0, 1700000000000000, 0, 2);
INSERT INTO moz_places_extra VALUES (1, '{}');
INSERT INTO moz_historyvisits (id, from_visit, place_id, visit_date, visit_type) VALUES
  (1, 0, 1, 1700000000000000, 2), (2, 1, 1, 1700000000000001, 1), (3, 0, 2, 1700000000000002, 1),
  (4, 0, 3, 1700000000000003, 1), (5, 0, 4, 1700000000000004, 1);
INSERT INTO moz_historyvisits_extra VALUES (1, '{}');
INSERT INTO moz_inputhistory VALUES (1, 'vis', 1), (2, 'kep', 1);
INSERT INTO moz_bookmarks (id, type, fk, parent, position, title, guid) VALUES
  (1, 2, NULL, 0, 0, '', 'root________'), (2, 1, 2, 1, 0, 'Zakładka', 'bookmark____');
INSERT INTO moz_keywords (keyword, place_id) VALUES ('kw', 3);
INSERT INTO moz_anno_attributes VALUES (1, 'downloads/destinationFileURI');
INSERT INTO moz_annos (place_id, anno_attribute_id, content) VALUES (4, 1, 'file:///x');
INSERT INTO moz_places_metadata_search_queries VALUES (1, 'szukane słowa');
INSERT INTO moz_places_metadata (place_id, created_at, search_query_id) VALUES (1, 1, 1);
)";

const QByteArray kChromiumHistory = R"(
CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);
CREATE TABLE urls(id INTEGER PRIMARY KEY AUTOINCREMENT,url LONGVARCHAR,title LONGVARCHAR,visit_count INTEGER DEFAULT 0 NOT NULL,typed_count INTEGER DEFAULT 0 NOT NULL,last_visit_time INTEGER NOT NULL,hidden INTEGER DEFAULT 0 NOT NULL);
CREATE TABLE visits(id INTEGER PRIMARY KEY AUTOINCREMENT,url INTEGER NOT NULL,visit_time INTEGER NOT NULL,from_visit INTEGER,external_referrer_url TEXT,transition INTEGER DEFAULT 0 NOT NULL,segment_id INTEGER,visit_duration INTEGER DEFAULT 0 NOT NULL,incremented_omnibox_typed_score BOOLEAN DEFAULT FALSE NOT NULL,opener_visit INTEGER,originator_cache_guid TEXT,originator_visit_id INTEGER,originator_from_visit INTEGER,originator_opener_visit INTEGER,is_known_to_sync BOOLEAN DEFAULT FALSE NOT NULL,consider_for_ntp_most_visited BOOLEAN DEFAULT FALSE NOT NULL,visited_link_id INTEGER DEFAULT 0 NOT NULL,app_id TEXT);
CREATE TABLE visit_source(id INTEGER PRIMARY KEY,source INTEGER NOT NULL);
CREATE TABLE keyword_search_terms (keyword_id INTEGER NOT NULL,url_id INTEGER NOT NULL,term LONGVARCHAR NOT NULL,normalized_term LONGVARCHAR NOT NULL);
CREATE TABLE downloads_url_chains (id INTEGER NOT NULL,chain_index INTEGER NOT NULL,url LONGVARCHAR NOT NULL, PRIMARY KEY (id, chain_index) );
CREATE TABLE segments (id INTEGER PRIMARY KEY,name VARCHAR,url_id INTEGER NON NULL);
CREATE TABLE segment_usage (id INTEGER PRIMARY KEY,segment_id INTEGER NOT NULL,time_slot INTEGER NOT NULL,visit_count INTEGER DEFAULT 0 NOT NULL);
CREATE TABLE visited_links(id INTEGER PRIMARY KEY AUTOINCREMENT,link_url_id INTEGER NOT NULL,top_level_url LONGVARCHAR NOT NULL,frame_url LONGVARCHAR NOT NULL,visit_count INTEGER DEFAULT 0 NOT NULL);
CREATE TABLE context_annotations(visit_id INTEGER PRIMARY KEY,context_annotation_flags INTEGER NOT NULL,duration_since_last_visit INTEGER,page_end_reason INTEGER,total_foreground_duration INTEGER,browser_type INTEGER DEFAULT 0 NOT NULL,window_id INTEGER DEFAULT -1 NOT NULL,tab_id INTEGER DEFAULT -1 NOT NULL,task_id INTEGER DEFAULT -1 NOT NULL,root_task_id INTEGER DEFAULT -1 NOT NULL,parent_task_id INTEGER DEFAULT -1 NOT NULL,response_code INTEGER DEFAULT 0 NOT NULL);
INSERT INTO meta VALUES ('version', '70'), ('last_compatible_version', '16');
INSERT INTO urls VALUES (1, 'http://visited.example/', 'Odwiedzona', 2, 1, 13300000000000000, 0),
  (2, 'http://other.example/', 'Inna', 1, 0, 13300000000000001, 0);
INSERT INTO visits (id, url, visit_time, transition) VALUES (1, 1, 13300000000000000, 805306369),
  (2, 1, 13300000000000001, 0), (3, 2, 13300000000000002, 0);
INSERT INTO visit_source VALUES (1, 0);
INSERT INTO keyword_search_terms VALUES (2, 1, 'Szukane', 'szukane');
INSERT INTO downloads_url_chains VALUES (1, 0, 'http://visited.example/plik.zip');
INSERT INTO segments VALUES (1, 'http://visited.example/', 1);
INSERT INTO segment_usage VALUES (1, 1, 13300000000000000, 2);
INSERT INTO visited_links VALUES (1, 1, 'http://visited.example/', 'http://visited.example/', 1);
INSERT INTO context_annotations (visit_id, context_annotation_flags) VALUES (1, 0);
)";

const QByteArray kChromiumTopSites = R"(
CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);
CREATE TABLE top_sites(url TEXT NOT NULL PRIMARY KEY,url_rank INTEGER NOT NULL,title TEXT NOT NULL);
INSERT INTO meta VALUES ('version', '5');
INSERT INTO top_sites VALUES ('http://visited.example/', 0, 'Odwiedzona');
)";

const QByteArray kChromiumPredictor = R"(
CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);
CREATE TABLE network_action_predictor (id TEXT PRIMARY KEY, user_text TEXT, url TEXT, number_of_hits INTEGER, number_of_misses INTEGER);
INSERT INTO meta VALUES ('version', '1');
INSERT INTO network_action_predictor VALUES ('a', 'vis', 'http://visited.example/', 3, 0);
)";

const QByteArray kChromiumShortcuts = R"(
CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);
CREATE TABLE omni_box_shortcuts (id VARCHAR PRIMARY KEY, text VARCHAR, fill_into_edit VARCHAR, url VARCHAR, contents VARCHAR, contents_class VARCHAR, description VARCHAR, description_class VARCHAR, transition INTEGER, type INTEGER, keyword VARCHAR, last_access_time INTEGER, number_of_hits INTEGER);
INSERT INTO meta VALUES ('version', '1');
INSERT INTO omni_box_shortcuts (id, text, url) VALUES ('b', 'vis', 'http://visited.example/');
)";

inline bool makeFirefoxProfile(const QString& folder) {
  return runScript(folder + QStringLiteral("/places.sqlite"), kFirefoxSchema + kFirefoxRows);
}

inline bool makeChromiumProfile(const QString& folder) {
  QFile visited(folder + QStringLiteral("/Visited Links"));
  return runScript(folder + QStringLiteral("/History"), kChromiumHistory) &&
         runScript(folder + QStringLiteral("/Top Sites"), kChromiumTopSites) &&
         runScript(folder + QStringLiteral("/Network Action Predictor"), kChromiumPredictor) &&
         runScript(folder + QStringLiteral("/Shortcuts"), kChromiumShortcuts) && visited.open(QIODevice::WriteOnly) &&
         visited.write("VLnk") == 4;
}

// A profiles.ini listing the given profile folders (relative to the file's folder unless absolute).
inline bool writeProfilesIni(const QString& root, const QStringList& profiles) {
  QDir().mkpath(root);
  QFile ini(root + QStringLiteral("/profiles.ini"));
  if (!ini.open(QIODevice::WriteOnly)) return false;
  QByteArray text = "[General]\nStartWithLastProfile=1\nVersion=2\n\n";
  for (qsizetype i = 0; i < profiles.size(); ++i) {
    const bool relative = !QDir::isAbsolutePath(profiles[i]);
    text += "[Profile" + QByteArray::number(i) + "]\nName=p" + QByteArray::number(i) + "\nIsRelative=" +
            (relative ? "1" : "0") + "\nPath=" + QFile::encodeName(profiles[i]) + "\n\n";
  }
  return ini.write(text) == text.size();
}

}  // namespace browserfixtures
