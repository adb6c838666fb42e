#include "cleaningplans.h"

namespace privacy::browsers {
namespace {

QString deleteAll(const QString& table) { return QStringLiteral("DELETE FROM ") + table; }

// A plan that empties one table, for a database that must have it.
CleaningPlan emptyTable(const QString& table, const QStringList& columns) {
  return [table, columns](const Schema& schema) -> std::optional<QStringList> {
    if (!schema.hasColumns(table, columns)) return std::nullopt;
    return QStringList{deleteAll(table)};
  };
}

}  // namespace

CleaningPlan firefoxHistoryPlan() {
  return [](const Schema& s) -> std::optional<QStringList> {
    if (!s.hasColumns(QStringLiteral("moz_places"), {"id", "url", "visit_count", "last_visit_date"}) ||
        !s.hasColumns(QStringLiteral("moz_historyvisits"), {"id", "place_id"}) ||
        !s.hasColumns(QStringLiteral("moz_bookmarks"), {"fk"}) ||
        !s.hasColumns(QStringLiteral("moz_inputhistory"), {"place_id", "input"}))
      return std::nullopt;
    QStringList sql;
    // What the browser recorded about visits and searches, then the visits themselves.
    for (const char* table : {"moz_historyvisits_extra", "moz_places_metadata", "moz_places_metadata_search_queries"})
      if (s.hasTable(QLatin1String(table))) sql << deleteAll(QLatin1String(table));
    sql << deleteAll(QStringLiteral("moz_historyvisits")) << deleteAll(QStringLiteral("moz_inputhistory"));

    // A page stays while a bookmark, a keyword, an annotation or anything else counted in its
    // foreign references still needs it.
    QString kept = QStringLiteral("id IN (SELECT fk FROM moz_bookmarks WHERE fk IS NOT NULL)");
    if (s.hasColumns(QStringLiteral("moz_keywords"), {"place_id"}))
      kept += QStringLiteral(" OR id IN (SELECT place_id FROM moz_keywords WHERE place_id IS NOT NULL)");
    if (s.hasColumns(QStringLiteral("moz_annos"), {"place_id"}))
      kept += QStringLiteral(" OR id IN (SELECT place_id FROM moz_annos)");
    if (s.hasColumns(QStringLiteral("moz_places"), {"foreign_count"})) kept += QStringLiteral(" OR foreign_count > 0");
    sql << QStringLiteral("DELETE FROM moz_places WHERE NOT (%1)").arg(kept);

    // The pages that stay forget their visits; the browser works out their ranking again.
    QString reset = QStringLiteral("visit_count = 0, last_visit_date = NULL");
    for (const char* column : {"recalc_frecency", "recalc_alt_frecency"})
      if (s.hasColumns(QStringLiteral("moz_places"), {column})) reset += QStringLiteral(", %1 = 1").arg(QLatin1String(column));
    sql << QStringLiteral("UPDATE moz_places SET ") + reset;

    if (s.hasColumns(QStringLiteral("moz_origins"), {"id"}) && s.hasColumns(QStringLiteral("moz_places"), {"origin_id"})) {
      sql << QStringLiteral("DELETE FROM moz_origins WHERE id NOT IN (SELECT origin_id FROM moz_places WHERE origin_id IS NOT NULL)");
      if (s.hasColumns(QStringLiteral("moz_origins"), {"recalc_frecency"}))
        sql << QStringLiteral("UPDATE moz_origins SET recalc_frecency = 1");
    }
    return sql;
  };
}

CleaningPlan firefoxTypedPlan() {
  return [](const Schema& s) -> std::optional<QStringList> {
    if (!s.hasColumns(QStringLiteral("moz_places"), {"id", "typed"}) ||
        !s.hasColumns(QStringLiteral("moz_inputhistory"), {"place_id", "input"}))
      return std::nullopt;
    return QStringList{QStringLiteral("UPDATE moz_places SET typed = 0 WHERE typed <> 0"),
                       deleteAll(QStringLiteral("moz_inputhistory"))};
  };
}

CleaningPlan chromiumHistoryPlan() {
  return [](const Schema& s) -> std::optional<QStringList> {
    if (!s.hasColumns(QStringLiteral("urls"), {"id", "url", "visit_count", "typed_count"}) ||
        !s.hasColumns(QStringLiteral("visits"), {"id", "url"}))
      return std::nullopt;
    QStringList sql;
    // Downloads and the sync records stay; everything here was recorded from visits.
    for (const char* table : {"visit_source", "content_annotations", "context_annotations", "clusters_and_visits",
                              "cluster_keywords", "cluster_visit_duplicates", "clusters", "keyword_search_terms",
                              "segment_usage", "segments", "visited_links", "visits", "urls"})
      if (s.hasTable(QLatin1String(table))) sql << deleteAll(QLatin1String(table));
    return sql;
  };
}

CleaningPlan chromiumTopSitesPlan() { return emptyTable(QStringLiteral("top_sites"), {"url"}); }

CleaningPlan chromiumTypedPlan() {
  return [](const Schema& s) -> std::optional<QStringList> {
    if (!s.hasColumns(QStringLiteral("urls"), {"id", "url", "typed_count"})) return std::nullopt;
    return QStringList{QStringLiteral("UPDATE urls SET typed_count = 0 WHERE typed_count <> 0")};
  };
}

CleaningPlan chromiumPredictorPlan() {
  return emptyTable(QStringLiteral("network_action_predictor"), {"user_text", "url"});
}

CleaningPlan chromiumShortcutsPlan() { return emptyTable(QStringLiteral("omni_box_shortcuts"), {"text", "url"}); }

}  // namespace privacy::browsers
