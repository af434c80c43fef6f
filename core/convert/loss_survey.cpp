// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/convert/loss_survey.h"

#include <string>
#include <vector>

#include "core/text/number_format.h"

namespace {
enum class How : std::uint8_t {
    CutTo,           // texts longer than a field, cut
    HoldsNone,       // a value the format has no place for
    HoldsOneText,    // the comment beside a description
    NotWhole,        // a value held for a line only where every point has one
    Breaks,          // commas and line breaks written as blanks
    SymbolZero,      // no symbol, written as number 0
    SymbolDefault,   // a symbol name without a number, written as the default one
    SectionsJoined,  // the sections of a track made one
    RoadDropped,     // the link points of a route's road
    PartLeftOut,     // waypoints, routes or tracks the format holds none of
    FileDetail,      // a kind of the file's own details
};

struct Loss {
    How how;
    const char* what;
    const char* noun;
    const char* file;
    std::size_t length;  // of CutTo; the link points of RoadDropped
    HeldWhere where;     // of NotWhole
    std::int64_t count;
};

std::string Plural(const char* noun) { return std::string(noun) + "s"; }

// "names of 14 waypoints", "the name of 1 waypoint"
std::string Of(const Loss& loss)
{
    const bool one = loss.count == 1;
    std::string what = loss.what;
    if (one && what.find(' ') == std::string::npos && what != "links") what = "the " + what.substr(0, what.size() - 1);
    return what + " of " + GroupedInt(loss.count) + " " + (one ? std::string(loss.noun) : Plural(loss.noun));
}

std::string Counted(const Loss& loss)
{
    return GroupedInt(loss.count) + " " + (loss.count == 1 ? std::string(loss.noun) : Plural(loss.noun));
}

std::string Message(const Loss& l, const OutputHolds& holds)
{
    const std::string file = l.file;
    switch (l.how) {
    case How::CutTo: return Of(l) + " cut to " + std::to_string(l.length) + " characters";
    case How::HoldsNone: return Of(l) + " dropped: a " + file + " holds none";
    case How::HoldsOneText: return Of(l) + " dropped: a " + file + " holds one text";
    case How::NotWhole:
        return Of(l) + " dropped: a " + file + (l.where == HeldWhere::EveryPointOfSection ? " section" : " line") +
               " where some point has none is written without them";
    case How::Breaks:
        return "commas and line breaks in the texts of " + Counted(l) + " written as blanks: a " + file + " holds none";
    case How::SymbolZero:
        return Counted(l) + " without a symbol written with symbol 0, which a " + file +
               " reads as \"Airport\": it has no code for none";
    case How::SymbolDefault:
        return Of(l) + " written as \"" + holds.defaultSymbol + "\": a " + file + " has no number for " +
               (l.count == 1 ? "it" : "them");
    case How::SectionsJoined: return "the sections of " + Counted(l) + " joined into one: a " + file + " holds none";
    case How::RoadDropped:
        return "the road of " + Counted(l) + " (" + GroupedInt(static_cast<std::int64_t>(l.length)) +
               " link points) dropped: a " + file + " holds none";
    case How::PartLeftOut: return Counted(l) + " of the input left out: a " + file + " holds no " + Plural(l.noun);
    case How::FileDetail: return std::string("the file's ") + l.what + " dropped: a " + file + " holds none";
    }
    return {};
}

class Tally {
public:
    void Count(How how, const char* what, const char* noun, const char* file, std::int64_t count,
               std::size_t length = 0, HeldWhere where = HeldWhere::Always)
    {
        if (count <= 0) return;
        // Few kinds, compared by their constant texts; the link points of
        // the roads dropped add up as the routes do.
        const bool summed = how == How::RoadDropped;
        for (Loss& loss : losses_)
            if (loss.how == how && loss.what == what && loss.noun == noun && loss.file == file &&
                (summed || loss.length == length)) {
                loss.count += count;
                if (summed) loss.length += length;
                return;
            }
        losses_.push_back({how, what, noun, file, length, where, count});
    }
    void AddTo(Findings& findings, const OutputHolds& holds) const
    {
        for (const Loss& loss : losses_) findings.Add(FindingKind::Reduced, Message(loss, holds), loss.count);
    }

private:
    std::vector<Loss> losses_;
};

std::size_t WrittenLength(const std::string& text, const OutputHolds& holds)
{
    return holds.writtenText ? holds.writtenText(text).size() : text.size();
}

const std::string& OneText(const std::string& description, const std::string& comment)
{
    return description.empty() ? comment : description;
}

// The values whose loss the tally counts alone: a kind the format holds
// none of loses every point that has one.
struct Plain {
    PointValue value;
    const char* what;
};
constexpr Plain kPlainValues[] = {
    {PointValue::SourceAndType, "sources and types"},
    {PointValue::Links, "links"},
    {PointValue::Time, "times"},
    {PointValue::Elevation, "elevations"},
    {PointValue::Sensors, "heart rates, cadences, temperatures and depths"},
    {PointValue::ReceiverFigures, "speeds, courses, fixes, satellites and dilutions"},
    {PointValue::Extensions, "GPX extensions"},
};

class PointSurvey {
public:
    // `drawnWith`: points drawn in one line with these (a route's road), or none.
    PointSurvey(const PointList& list, const PointHolds& h, const OutputHolds& o, Tally& t,
                const PointList* drawnWith = nullptr)
        : list_(list), values_(list.Values()), h_(h), o_(o), tally_(t), drawnWith_(drawnWith)
    {}

    void Run()
    {
        if (list_.empty()) return;
        for (const Plain& plain : kPlainValues)
            if (!h_.values.Has(plain.value)) Lost(How::HoldsNone, plain.what, values_.Holding(plain.value));
        Texts();
        Symbols();
        Device();
        NotWhole(PointValue::Time, "times", h_.times);
        NotWhole(PointValue::Elevation, "elevations", h_.elevations);
    }

private:
    void Lost(How how, const char* what, std::int64_t count, std::size_t length = 0,
              HeldWhere where = HeldWhere::Always)
    {
        tally_.Count(how, what, h_.noun, h_.file, count, length, where);
    }

    void Texts()
    {
        if (!h_.values.Has(PointValue::Name)) Lost(How::HoldsNone, "names", values_.Holding(PointValue::Name));
        else if (h_.nameLength > 0 && values_.LongestName() > h_.nameLength) CutNames();
        if (h_.oneText) {
            Lost(How::HoldsOneText, "comments", values_.Holding(PointValue::SecondText));
            if (h_.textLength > 0 && values_.LongestText() > h_.textLength) CutTexts();
        } else {
            for (const auto& [value, what] :
                 {std::pair{PointValue::Comment, "comments"}, std::pair{PointValue::Description, "descriptions"}})
                if (!h_.values.Has(value)) Lost(How::HoldsNone, what, values_.Holding(value));
        }
        const bool textsHeld = h_.values.Has(PointValue::Name) || h_.oneText;
        if (o_.writtenText && textsHeld) Lost(How::Breaks, "", values_.Holding(PointValue::TextBreak));
    }

    void CutNames()
    {
        std::int64_t cut = 0;
        list_.ForEach([&](const Point& p) { cut += WrittenLength(p.name, o_) > h_.nameLength ? 1 : 0; });
        Lost(How::CutTo, "names", cut, h_.nameLength);
    }

    void CutTexts()
    {
        std::int64_t descriptions = 0, comments = 0;
        list_.ForEach([&](const Point& p) {
            if (WrittenLength(OneText(p.description, p.comment), o_) <= h_.textLength) return;
            ++(p.description.empty() ? comments : descriptions);
        });
        Lost(How::CutTo, "descriptions", descriptions, h_.textLength);
        Lost(How::CutTo, "comments", comments, h_.textLength);
    }

    void Symbols()
    {
        if (!h_.values.Has(PointValue::SymbolName)) {
            Lost(How::HoldsNone, "symbols", values_.Holding(PointValue::AnySymbol));
            return;
        }
        if (h_.symbolZeroTold)
            Lost(How::SymbolZero, "", static_cast<std::int64_t>(list_.size()) - values_.Holding(PointValue::AnySymbol));
        if (!h_.symbolNumbers || !o_.symbolNamed || values_.Holding(PointValue::UnnumberedSymbol) == 0) return;
        std::int64_t unnumbered = 0;
        list_.ForEach([&](const Point& p) {
            const bool numbered = p.symbolCode >= 0 || p.native.symbol.has_value();
            unnumbered += !p.symbol.empty() && !numbered && !o_.symbolNamed(p.symbol) ? 1 : 0;
        });
        Lost(How::SymbolDefault, "symbols", unnumbered);
    }

    void Device()
    {
        if (h_.values.Has(PointValue::DeviceDetails)) return;
        const PointValue lost = h_.values.Has(PointValue::Display) ? PointValue::DeviceDetails : PointValue::Device;
        Lost(How::HoldsNone, "addresses and other device details", values_.Holding(lost));
    }

    void NotWhole(PointValue value, const char* what, HeldWhere where)
    {
        const std::int64_t holding = values_.Holding(value);
        if (where == HeldWhere::Always || !h_.values.Has(value) || holding == 0) return;
        const bool othersLack =
            drawnWith_ && drawnWith_->Values().Holding(value) < static_cast<std::int64_t>(drawnWith_->size());
        if (holding == static_cast<std::int64_t>(list_.size()) && !othersLack) return;
        if (where == HeldWhere::EveryPointOfList) {
            Lost(How::NotWhole, what, holding, 0, where);
            return;
        }
        // Section by section: the points holding it in sections where some point lacks it.
        std::int64_t lost = 0, inSection = 0;
        bool whole = true, first = true;
        const auto close = [&] { lost += whole ? 0 : inSection; };
        list_.ForEach([&](const Point& p) {
            if (p.newSection && !first) {
                close();
                inSection = 0;
                whole = true;
            }
            first = false;
            const bool has = value == PointValue::Time ? p.time.has_value() : p.HasElevation();
            inSection += has ? 1 : 0;
            whole = whole && has;
        });
        close();
        Lost(How::NotWhole, what, lost, 0, where);
    }

    const PointList& list_;
    const ValueTally& values_;
    const PointHolds& h_;
    const OutputHolds& o_;
    Tally& tally_;
    const PointList* drawnWith_;
};

void SurveyRoad(const Route& route, const OutputHolds& o, Tally& t)
{
    if (route.links.empty()) return;
    const std::int64_t links = static_cast<std::int64_t>(route.links.size());
    if (!o.road) {
        // The count of link points rides in the length.
        t.Count(How::RoadDropped, "", "route", o.routes.file ? o.routes.file : o.file, 1,
                static_cast<std::size_t>(links));
        return;
    }
    if (!o.roadElevations)
        t.Count(How::HoldsNone, "elevations", "link point", o.routes.file,
                route.links.Values().Holding(PointValue::Elevation));
}

void SurveyGroup(const GroupInfo& g, bool sectionExtensions, const GroupHolds& h, const OutputHolds& o, Tally& t)
{
    const auto lost = [&](How how, const char* what, bool any, std::size_t length = 0) {
        if (any) t.Count(how, what, h.noun, h.file, 1, length);
    };
    const GroupValues& v = h.values;
    lost(How::HoldsNone, "names", !v.Has(GroupValue::Name) && !g.name.empty());
    const bool nameCut = v.Has(GroupValue::Name) && h.nameLength > 0 && WrittenLength(g.name, o) > h.nameLength;
    const bool wholeAsText = h.nameWholeAsText && g.description.empty() && g.comment.empty();
    lost(How::CutTo, "names", nameCut && !wholeAsText, h.nameLength);
    if (h.oneText) {
        lost(How::HoldsOneText, "comments", !g.description.empty() && !g.comment.empty() && g.comment != g.description);
        const bool textCut = h.textLength > 0 && WrittenLength(OneText(g.description, g.comment), o) > h.textLength;
        lost(How::CutTo, g.description.empty() ? "comments" : "descriptions", textCut, h.textLength);
    } else {
        lost(How::HoldsNone, "descriptions", !v.Has(GroupValue::Description) && !g.description.empty());
        lost(How::HoldsNone, "comments", !v.Has(GroupValue::Comment) && !g.comment.empty());
    }
    lost(How::HoldsNone, "links, sources and types",
         !v.Has(GroupValue::LinksSourceAndType) && (!g.links.empty() || !g.source.empty() || !g.type.empty()));
    lost(How::HoldsNone, "numbers", !v.Has(GroupValue::Number) && g.number >= 0);
    lost(How::HoldsNone, "colours", !v.Has(GroupValue::Colour) && g.colour.has_value());
    lost(How::HoldsNone, "GPX extensions",
         !v.Has(GroupValue::Extensions) && (!g.extensions.empty() || sectionExtensions));
}

bool SeveralSections(const PointList& points)
{
    const std::int64_t starts = points.Values().Holding(PointValue::SectionStart);
    if (starts >= 2) return true;
    if (starts == 0) return false;
    // One start: a section of its own only where it is not the first point.
    Point first;
    return points.Points().Next(first) && !first.newSection;
}

bool AnyKept(const std::vector<std::string>& sectionExtensions)
{
    for (const std::string& kept : sectionExtensions)
        if (!kept.empty()) return true;
    return false;
}

void SurveyFileDetails(const Metadata& m, const OutputHolds& o, Tally& t)
{
    const Person& a = m.author;
    const struct {
        FileDetail detail;
        bool any;
        const char* what;
    } details[] = {
        {FileDetail::Name, !m.name.empty(), "name"},
        {FileDetail::Description, !m.description.empty(), "description"},
        {FileDetail::Author, !a.name.empty() || !a.email.empty() || !a.links.empty(), "author"},
        {FileDetail::Copyright, !m.copyrightAuthor.empty() || !m.copyrightYear.empty() || !m.copyrightLicense.empty(),
         "copyright"},
        {FileDetail::Links, !m.links.empty(), "links"},
        {FileDetail::Keywords, !m.keywords.empty(), "keywords"},
        {FileDetail::Time, m.time.has_value(), "time"},
        {FileDetail::Extensions, !m.extensions.empty() || !m.fileExtensions.empty(), "GPX extensions"},
    };
    for (const auto& d : details)
        if (d.any && !o.fileDetails.Has(d.detail)) t.Count(How::FileDetail, d.what, "", o.file, 1);
}
}  // namespace

void SurveyLosses(const Document& document, const PartsPassedOver& passedOver, const OutputHolds& holds,
                  Findings& findings)
{
    Tally tally;
    const auto leftOut = [&](const char* noun, std::int64_t count) {
        tally.Count(How::PartLeftOut, "", noun, holds.file, count);
    };
    if (holds.waypoints.noun) PointSurvey(document.waypoints, holds.waypoints, holds, tally).Run();
    else leftOut("waypoint", static_cast<std::int64_t>(document.waypoints.size()) + passedOver.waypoints);
    if (holds.routes.noun) {
        for (const Route& route : document.routes) {
            SurveyGroup(route.info, false, holds.routes, holds, tally);
            const bool drawn = holds.road && !route.links.empty();
            PointSurvey(route.points, holds.routePoints, holds, tally, drawn ? &route.links : nullptr).Run();
            SurveyRoad(route, holds, tally);
        }
    } else {
        leftOut("route", static_cast<std::int64_t>(document.routes.size()) + passedOver.routes);
    }
    if (holds.tracks.noun) {
        for (const Track& track : document.tracks) {
            SurveyGroup(track.info, AnyKept(track.sectionExtensions), holds.tracks, holds, tally);
            PointSurvey(track.points, holds.trackPoints, holds, tally).Run();
            if (!holds.sections && SeveralSections(track.points))
                tally.Count(How::SectionsJoined, "", "track", holds.tracks.file, 1);
        }
    } else {
        leftOut("track", static_cast<std::int64_t>(document.tracks.size()) + passedOver.tracks);
    }
    SurveyFileDetails(document.metadata, holds, tally);
    tally.AddTo(findings, holds);
}
