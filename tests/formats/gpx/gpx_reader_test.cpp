// SPDX-License-Identifier: GPL-3.0-or-later
// The GPX reader: fields, routes, tracks, encodings, the real files, and
// damaged or hostile input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/gpx/Gpx.h"
#include "tests/support/test_files.h"

namespace {
std::string Gpx(const std::string& body,
                const std::string& root = " version=\"1.1\" xmlns=\"http://www.topografix.com/GPX/1/1\"")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx" + root + ">\n" + body + "</gpx>\n";
}

std::string Wpt(const std::string& lat, const std::string& lon, const std::string& inner = "")
{
    return "<wpt lat=\"" + lat + "\" lon=\"" + lon + "\">" + inner + "</wpt>\n";
}

ReadResult Read(const std::string& content, ReadMode mode = ReadMode::Everything)
{
    return ReadGpxFile(InputSource::Memory("in.gpx", content), {mode});
}

std::vector<std::string> Names(const PointList& points)
{
    std::vector<std::string> names;
    points.ForEach([&](const Point& p) { names.push_back(p.name); });
    return names;
}

std::string Path(const char* file) { return FixturePath(std::string("gpx/") + file); }
}  // namespace

TEST(GpxReader, WaypointsTakeEveryFieldAndSkipExtensionsWhateverTheirNames)
{
    const ReadResult read = Read(
        Gpx(Wpt("51.5", "-0.25",
                "<ele>100.25</ele><time>2002-05-25T10:06:21.5-07:00</time><name>Summit, top</name><cmt>comment</cmt>"
                "<desc>top &amp; view</desc><src>survey</src><sym>Summit</sym><type>peak</type><fix>dgps</fix>"
                "<sat>7</sat><hdop>1.25</hdop><vdop>2</vdop><pdop>3</pdop>"
                "<link href=\"x\"><text>link</text><type>text/html</type></link><link href=\"y\"/>"
                "<extensions><name>wrong</name><ele>9</ele><wpt lat=\"1\" lon=\"1\"/></extensions>"
                "<x:name xmlns:x=\"urn:other\">wrong</x:name>") +
            Wpt("0", "180", "<name>  Harbour\n  buoy </name><sat>-1</sat><fix>4d</fix><sym/>")));
    EXPECT_TRUE(read.findings.Empty());
    const std::vector<Point> w = read.document.waypoints.ToVector();
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(w[0].name, "Summit, top");
    EXPECT_EQ(w[0].comment, "comment");
    EXPECT_EQ(w[0].description, "top & view");
    EXPECT_EQ(w[0].source, "survey");
    EXPECT_EQ(w[0].symbol, "Summit");
    EXPECT_EQ(w[0].type, "peak");
    EXPECT_EQ(w[0].latitude, 51.5);
    EXPECT_EQ(w[0].longitude, -0.25);
    EXPECT_EQ(w[0].elevation, 100.25);
    EXPECT_EQ(w[0].time, (UtcTime{1022346381, 500000000}));
    EXPECT_EQ(w[0].fix, 4);
    EXPECT_EQ(w[0].satellites, 7);
    EXPECT_EQ(w[0].hdop, 1.25);
    EXPECT_EQ(w[0].vdop, 2);
    EXPECT_EQ(w[0].pdop, 3);
    EXPECT_EQ(w[0].links, (std::vector<Link>{{"x", "link", "text/html"}, {"y", "", ""}}));
    EXPECT_EQ(w[1].name, "  Harbour\n  buoy ");  // as written
    EXPECT_EQ(w[1].satellites, -1);
    EXPECT_EQ(w[1].fix, 0);
    EXPECT_FALSE(w[1].HasElevation());
    EXPECT_FALSE(w[1].time);
    EXPECT_TRUE(w[1].symbol.empty());
    // The native files take the altitude in feet as it is, a symbol element
    // without a name for a symbol, and no time for their day of no date.
    EXPECT_EQ(w[0].native, (NativeForm{.feet = static_cast<float>(100.25 * 3.2808)}));
    EXPECT_EQ(w[1].native, (NativeForm{.symbol = 70, .noDateDay = true}));

    for (const char* root : {" version=\"1.0\" xmlns=\"http://www.topografix.com/GPX/1/0\"", " version=\"1.1\""})
        EXPECT_EQ(Names(Read(Gpx(Wpt("1", "2", "<name>A</name><g:name xmlns:g=\"urn:g\">B</g:name>"), root))
                            .document.waypoints),
                  std::vector<std::string>{"A"})
            << root;
}

// An element is GPX by the namespace its prefix, or the default, is declared
// for where it stands; the name read is the one in the GPX namespace.
// The device details of a waypoint are read into its fields, wherever its
// prefix is declared, and its extension is still kept whole; another
// namespace's element of the same name gives nothing.
TEST(GpxReader, DeviceDetailsAreReadFromTheirExtension)
{
    const std::string uri = "http://www.garmin.com/xmlschemas/GpxExtensions/v3";
    const std::string details =
        "<x:DisplayMode>SymbolOnly</x:DisplayMode><x:Proximity>25.5</x:Proximity>"
        "<x:Temperature>-3</x:Temperature><x:Depth>4</x:Depth><x:Categories>"
        "<x:Category>A</x:Category><x:Category>B</x:Category></x:Categories><x:Address>"
        "<x:StreetAddress>1 Rd</x:StreetAddress><x:StreetAddress>2</x:StreetAddress>"
        "<x:City>C</x:City><x:State>S</x:State><x:Country>K</x:Country>"
        "<x:PostalCode>P</x:PostalCode></x:Address><x:PhoneNumber Category=\"w\">1</x:PhoneNumber>"
        "<x:PhoneNumber>2</x:PhoneNumber></x:WaypointExtension>";
    const std::string root = " version=\"1.1\" xmlns=\"http://www.topografix.com/GPX/1/1\" xmlns:x=\"" + uri + "\"";
    const struct {
        std::string root, extension;
        bool read;
    } rows[] = {
        {"", "<x:WaypointExtension xmlns:x=\"" + uri + "\">" + details, true},
        {root, "<x:WaypointExtension>" + details, true},
        {"", "<x:WaypointExtension xmlns:x=\"urn:other\">" + details, false},
    };
    // An output that holds no extensions has them left out, the point marked, its details read all the same.
    for (const bool kept : {true, false})
        for (const auto& row : rows) {
            SCOPED_TRACE(row.extension.substr(0, 60) + (kept ? "" : ", left out"));
            const std::string body = Wpt("1", "2", "<extensions>" + row.extension + "</extensions>") + Wpt("3", "4");
            const std::string file = row.root.empty() ? Gpx(body) : Gpx(body, row.root);
            const ReadResult read = ReadGpxFile(InputSource::Memory("in.gpx", file), {.keptExtensions = kept});
            const std::vector<Point> w = read.document.waypoints.ToVector();
            ASSERT_EQ(w.size(), 2u);
            const DeviceDetails& d = w[0].device;
            EXPECT_EQ(w[0].extensions.find("<x:City>C</x:City>") != std::string::npos, kept);
            EXPECT_EQ(w[0].extensionsLeftOut, !kept);
            EXPECT_FALSE(w[1].extensionsLeftOut);
            EXPECT_EQ(d.displayMode, row.read ? "SymbolOnly" : "");
            EXPECT_EQ(
                (std::vector{d.street, d.city, d.state, d.country, d.postalCode, d.phone}),
                (row.read ? std::vector<std::string>{"1 Rd", "C", "S", "K", "P", "1"} : std::vector<std::string>(6)));
            EXPECT_EQ(d.categories, (row.read ? std::vector<std::string>{"A", "B"} : std::vector<std::string>{}));
            EXPECT_EQ(std::vector({d.proximity, d.celsius, d.depth}) == std::vector({25.5, -3.0, 4.0}), row.read);
            EXPECT_TRUE(w[1].device.Empty());
        }
}

TEST(GpxReader, NamespacesDecideWhichElementsAreRead)
{
    const std::string gpx11 = "http://www.topografix.com/GPX/1/1";
    const struct {
        const char* what;
        std::string file;
        std::vector<std::string> names;
    } cases[] = {
        {"prefixed root and children",
         "<g:gpx xmlns:g=\"" + gpx11 +
             "\"><g:wpt lat=\"1\" lon=\"2\"><g:name>A</g:name><x:name xmlns:x=\"urn:x\">B</x:name></g:wpt></g:gpx>",
         {"A"}},
        {"default namespace declared again on a child",
         "<gpx xmlns=\"" + gpx11 +
             "\"><wpt lat=\"1\" lon=\"2\"><name xmlns=\"urn:x\">B</name><name>A</name></wpt></gpx>",
         {"A"}},
        {"a declaration ends with its element",
         "<gpx xmlns=\"" + gpx11 + "\"><rte xmlns:x=\"" + gpx11 +
             "\"/><wpt lat=\"1\" lon=\"2\"><name>A</name><x:name>B</x:name></wpt></gpx>",
         {"A"}},
        {"an undeclared prefix", "<gpx><wpt lat=\"1\" lon=\"2\"><u:name>B</u:name><name>A</name></wpt></gpx>", {"A"}},
        {"the document's namespace under a prefix of a child",
         "<gpx xmlns=\"" + gpx11 + "\"><wpt lat=\"1\" lon=\"2\"><p:name xmlns:p=\"" + gpx11 +
             "\">A</p:name></wpt></gpx>",
         {"A"}},
    };
    for (const auto& c : cases) EXPECT_EQ(Names(Read(c.file).document.waypoints), c.names) << c.what;
    for (const char* other : {"<gpx xmlns=\"urn:other\"><wpt lat=\"1\" lon=\"2\"/></gpx>", "<u:gpx><u:wpt/></u:gpx>"})
        EXPECT_THROW(Read(other), InputRefused) << other;
}

TEST(GpxReader, RoutesTracksAndMetadata)
{
    const Document document =
        Read(Gpx("<metadata><name>Trip</name><desc>d</desc><author><name>Ann</name></author>"
                 "<link href=\"http://a.example\"><text>home</text></link><time>2020-01-01T00:00:00Z</time>"
                 "<keywords>k</keywords></metadata>" +
                 Wpt("1", "1") +
                 "<rte><name>Out</name><cmt>c</cmt><desc>there</desc><src>s</src><number>4</number><type>t</type>"
                 "<link href=\"r\"/><rtept lat=\"1\" lon=\"2\"><name>P1</name></rtept><rtept lat=\"3\" lon=\"4\"/>"
                 "</rte><rte/>"
                 "<trk><name>First</name><number>-1</number><trkseg><trkpt lat=\"1\" lon=\"2\"><ele>1531.4</ele>"
                 "<time>2023-01-16T18:02:26.123456789Z</time><extensions><tp:TrackPointExtension "
                 "xmlns:tp=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v2\"><tp:atemp>-2.5</tp:atemp>"
                 "<tp:hr>182</tp:hr><tp:cad>90</tp:cad></tp:TrackPointExtension></extensions></trkpt>"
                 "<trkpt lat=\"1.1\" lon=\"2.1\"/></trkseg><trkseg/><trkseg><trkpt lat=\"1.2\" lon=\"2.2\"/>"
                 "</trkseg></trk><trk><trkseg><trkpt lat=\"3\" lon=\"4\"/></trkseg></trk>"))
            .document;
    const Metadata& m = document.metadata;
    EXPECT_EQ(m.name, "Trip");
    EXPECT_EQ(m.description, "d");
    EXPECT_EQ(m.author.name, "Ann");
    EXPECT_EQ(m.links, (std::vector<Link>{{"http://a.example", "home", ""}}));
    EXPECT_EQ(m.time, (UtcTime{1577836800, 0}));
    EXPECT_EQ(m.keywords, "k");

    ASSERT_EQ(document.routes.size(), 2u);
    const GroupInfo& out = document.routes[0].info;
    EXPECT_EQ(out, (GroupInfo{"Out", "c", "there", "s", "t", {{"r", "", ""}}, 4, {}, ""}));
    EXPECT_EQ(Names(document.routes[0].points), (std::vector<std::string>{"P1", ""}));
    EXPECT_TRUE(document.routes[1].points.empty());

    ASSERT_EQ(document.tracks.size(), 2u);
    EXPECT_EQ(document.tracks[0].info.name, "First");
    EXPECT_EQ(document.tracks[0].info.number, -1);
    const std::vector<Point> first = document.tracks[0].points.ToVector();
    ASSERT_EQ(first.size(), 3u);
    EXPECT_EQ(first[0].elevation, 1531.4);
    EXPECT_EQ(first[0].time, (UtcTime{1673892146, 123456789}));
    EXPECT_EQ(first[0].celsius, -2.5);
    EXPECT_EQ(first[0].heartRate, 182);
    EXPECT_EQ(first[0].cadence, 90);
    EXPECT_TRUE(first[1].native.Empty());
    const bool sections[] = {true, false, true};  // a section per segment, empty ones none
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(first[i].newSection, sections[i]) << i;
    EXPECT_TRUE(document.tracks[1].points.ToVector().at(0).newSection);

    const ReadResult tracksOnly = Read(Gpx(Wpt("1", "1") + "<rte/><trk/>"), ReadMode::Tracks);
    EXPECT_TRUE(tracksOnly.document.waypoints.empty());
    EXPECT_TRUE(tracksOnly.document.routes.empty());
    EXPECT_EQ(tracksOnly.document.tracks.size(), 1u);
    EXPECT_TRUE(Read(Gpx(Wpt("1", "1") + "<trk/>"), ReadMode::Waypoints).document.tracks.empty());
    // A list goes one point past what the output takes, which it cuts and says so.
    const std::string three = "<trkpt lat='1' lon='1'/><trkpt lat='2' lon='2'/><trkpt lat='3' lon='3'/>";
    const Document kept = ReadGpxFile(InputSource::Memory("in.gpx", Gpx(Wpt("1", "1") + Wpt("2", "2") + Wpt("3", "3") +
                                                                        "<trk><trkseg>" + three + "</trkseg></trk>")),
                                      {.trackPointsKept = 1, .waypointsKept = 1})
                              .document;
    EXPECT_EQ(kept.waypoints.size(), 2u);
    EXPECT_EQ(kept.TrackPointCount(), 2);
}

TEST(GpxReader, AnyDeclaredEncodingGivesTheSameText)
{
    // The name is Qu#bec with # replaced by the bytes given.
    const auto declared = [](const std::string& encoding, const std::string& bytes) {
        const std::string text = "<?xml version=\"1.0\" encoding=\"" + encoding + "\"?><gpx>" +
                                 Wpt("1", "2", "<name>Qu#bec</name>") + "</gpx>";
        return text.substr(0, text.find('#')) + bytes + text.substr(text.find('#') + 1);
    };
    const auto utf16 = [](const std::string& ascii, bool big) {
        std::string out = big ? "\xFE\xFF" : "\xFF\xFE";
        for (const char c : ascii) out += big ? std::string{'\0', c} : std::string{c, '\0'};
        return out;
    };
    std::string little = utf16(declared("UTF-16", "#"), false), big = utf16(declared("UTF-16", "#"), true);
    little[little.find('#')] = '\xE9';
    big[big.find('#')] = '\xE9';
    const std::string quebec = "Qu\xC3\xA9"
                               "bec";
    const struct {
        std::string file;
        std::string name;
    } cases[] = {
        {declared("UTF-8", "\xC3\xA9"), quebec},
        {declared("ISO-8859-1", "\xE9"), quebec},
        {declared("iso-8859-1", "\x80"), "Qu\xC2\x80"
                                         "bec"},  // U+0080, as that encoding says
        {declared("windows-1252", "\x80\xE9"), "Qu\xE2\x82\xAC\xC3\xA9"
                                               "bec"},
        {little, quebec},
        {big, quebec},
        {declared("UTF-8", "\xE2\x86\x92"), "Qu\xE2\x86\x92"
                                            "bec"},
    };
    for (const auto& c : cases) EXPECT_EQ(Names(Read(c.file).document.waypoints), std::vector<std::string>{c.name});
}

TEST(GpxReader, PointsWithoutAValidPositionAreLeftOutAndCounted)
{
    const ReadResult read =
        Read(Gpx(Wpt("91", "0") + Wpt("0", "-180.5") + Wpt("NaN", "1") + Wpt("1", "inf") + Wpt("", "1") +
                 "<wpt lat=\"1\"/>" + Wpt("1e1", "abc") + Wpt("90", "-180") + Wpt("-90", "180") +
                 "<rte><rtept lat=\"100\" lon=\"1\"/><rtept lat=\"1\" lon=\"1\"/></rte>"
                 "<trk><trkseg><trkpt lat=\"x\" lon=\"1\"/><trkpt lat=\"1\" lon=\"1\"/></trkseg>"
                 "</trk>"));
    EXPECT_EQ(read.document.waypoints.size(), 2u);
    EXPECT_EQ(read.document.routes.at(0).points.size(), 1u);
    // The section the left-out point started starts with the next.
    EXPECT_TRUE(read.document.tracks.at(0).points.ToVector().at(0).newSection);
    EXPECT_EQ(read.findings.All(), (std::vector<Finding>{{FindingKind::Unusable, "", 9}}));
}

TEST(GpxReader, DamagedOrHostileInputIsRefusedOrReadUpToTheDamage)
{
    const std::string two = Wpt("1", "1", "<name>one</name>") + Wpt("2", "2", "<name>two</name>");
    std::string bomb = "<?xml version=\"1.0\"?>\n<!DOCTYPE gpx [\n<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">\n";
    for (char e = 'b'; e <= 'k'; ++e) {
        bomb += std::string("<!ENTITY ") + e + " \"";
        for (int k = 0; k < 10; ++k) bomb += std::string("&") + static_cast<char>(e - 1) + ";";
        bomb += "\">\n";
    }
    bomb += "]>\n<gpx>\n" + Wpt("1", "1", "<name>&k;</name>") + "</gpx>\n";
    std::string declarations = " xmlns=\"http://www.topografix.com/GPX/1/1\"", many;
    for (int i = 0; i < 20000; ++i)
        declarations += " xmlns:p" + std::to_string(i) + "=\"urn:" + std::to_string(i) + "\"";
    for (int i = 0; i < 100000; ++i) many += "<q:x/>";
    std::string deep, names;
    for (int i = 0; i < 1000000; ++i) deep += "<e>";
    for (int i = 0; i < 500000; ++i) names += "<e" + std::to_string(i) + "/>";
    const struct {
        const char* what;
        std::string file;
        std::string message;  // the start of the refusal or of the finding; none: read whole
        bool refused;
        std::size_t kept;
    } cases[] = {
        {"empty file", "", "This is not a GPX file: no element found at line 1, column 1.", true, 0},
        {"not XML", "Kestrelmaps Waypoint File Version 1.1\r\n", "This is not a GPX file: syntax error at line 1", true,
         0},
        {"other XML", "<kml><wpt lat=\"1\" lon=\"1\"/></kml>", "This is not a GPX file: its first element is not gpx.",
         true, 0},
        {"unknown encoding", "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><gpx/>",
         "The character encoding Shift_JIS of the GPX file is not supported.", true, 0},
        {"truncated", Gpx(two).substr(0, Gpx(two).size() - 6), "The GPX file is damaged at line 5, column ", false, 2},
        {"wrong nesting", Gpx(two + "<wpt lat=\"3\" lon=\"3\"><name>x</wpt></name>"),
         "The GPX file is damaged at line 5, column 31: mismatched tag. Only what comes before it was read.", false, 2},
        {"invalid UTF-8", Gpx(two + Wpt("3", "3", "<name>\xFF</name>")),
         "The GPX file is damaged at line 5, column 28: ", false, 2},
        {"zero bytes after the end", Gpx(two) + std::string(100, '\0'), "", false, 2},
        {"thousands of namespaces for a multitude of elements", Gpx(many + two, declarations), "", false, 2},
        {"elements nested a million deep", Gpx(two + deep), "The GPX file is damaged at line 5, column ", false, 2},
        {"half a million different element names", Gpx(two + names), "The GPX file is damaged at line 5, column ",
         false, 2},
        {"billion laughs", bomb, "The GPX file is damaged at line ", false, 0},
        {"a namespace name of 2 MB", Gpx(two + "<x xmlns:p=\"urn:" + std::string(2 << 20, 'y') + "\"/>"),
         "The GPX file is damaged at line 5, column 2097172: namespace names longer than the reader holds.", false, 2},
        // A file up to 32 MB is parsed whole; a longer one in chunks, where one item may not pass 8 MB.
        {"a long item", Gpx(two + "<wpt lat=\"3\" lon=\"3\" note=\"" + std::string(9 << 20, 'x') + "\"/>"), "", false,
         3},
        {"one huge item", Gpx(two + "<wpt lat=\"3\" lon=\"3\" note=\"" + std::string(33 << 20, 'x') + "\"/>"),
         "The GPX file is damaged at line 5, column 1: an XML item longer than 8 MB.", false, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            const ReadResult read = Read(c.file);
            EXPECT_FALSE(c.refused);
            EXPECT_EQ(read.document.waypoints.size(), c.kept);
            // Elements of prefixes declared nowhere are left out, and counted apart.
            std::vector<Finding> findings = read.findings.All();
            std::erase_if(findings, [](const Finding& f) { return f.kind == FindingKind::Reduced; });
            ASSERT_EQ(findings.size(), c.message.empty() ? 0u : 1u);
            if (!c.message.empty()) {
                EXPECT_EQ(findings[0].kind, FindingKind::Damaged);
                EXPECT_EQ(findings[0].message.substr(0, c.message.size()), c.message);
            }
        } catch (const InputRefused& refused) {
            EXPECT_TRUE(c.refused);
            EXPECT_EQ(std::string(refused.what()).substr(0, c.message.size()), c.message) << refused.what();
        }
    }
}

TEST(GpxReader, ARouteOrTrackCutShortKeepsItsPointsAndExternalEntitiesAreNeverLoaded)
{
    const Document cut =
        Read(Gpx("<rte><rtept lat=\"1\" lon=\"1\"/></rte><trk><name>T</name><trkseg><trkpt lat=\"1\" lon=\"1\"/>"
                 "<trkpt lat=\"2\" lon=\"2\"/><trkpt lat="))
            .document;
    ASSERT_EQ(cut.tracks.size(), 1u);
    EXPECT_EQ(cut.tracks[0].info.name, "T");
    EXPECT_EQ(cut.tracks[0].points.size(), 2u);
    EXPECT_EQ(cut.routes.at(0).points.size(), 1u);

    TempDir dir;
    WriteText(dir.Path("secret.txt"), "secret");
    EXPECT_EQ(Names(Read("<?xml version=\"1.0\"?>\n<!DOCTYPE gpx [<!ENTITY s SYSTEM \"file://" +
                         dir.Path("secret.txt") + "\">]>\n<gpx>" + Wpt("1", "1", "<name>a&s;b</name>") + "</gpx>")
                        .document.waypoints),
              std::vector<std::string>{"ab"});
}

TEST(GpxReader, RealFiles)
{
    const struct {
        const char* file;
        std::size_t waypoints, routes, routePoints, tracks, trackPoints;
    } counts[] = {
        {"GC7FA4.gpx", 1, 0, 0, 0, 0},         {"basecamp.gpx", 2, 1, 2, 1, 2},
        {"empty.gpx", 0, 0, 0, 0, 0},          {"expertgps.gpx", 86, 1, 46, 1, 64},
        {"garminconnect.gpx", 0, 0, 0, 1, 68}, {"gpxpassthrough10.gpx", 3, 1, 3, 1, 3},
    };
    for (const auto& c : counts) {
        SCOPED_TRACE(c.file);
        const ReadResult read = ReadGpxFile(InputSource::File(Path(c.file)), {});
        EXPECT_TRUE(read.findings.Empty());
        EXPECT_EQ(read.document.waypoints.size(), c.waypoints);
        EXPECT_EQ(read.document.routes.size(), c.routes);
        EXPECT_EQ(c.routes == 0 ? 0 : read.document.routes[0].points.size(), c.routePoints);
        EXPECT_EQ(read.document.tracks.size(), c.tracks);
        EXPECT_EQ(read.document.TrackPointCount(), static_cast<std::int64_t>(c.trackPoints));
    }

    // GPX 1.0, an offset of -07:00, extensions named like GPX, a link as url and urlname.
    const Point cache = ReadGpxFile(InputSource::File(Path("GC7FA4.gpx")), {}).document.waypoints.ToVector().at(0);
    EXPECT_EQ(cache.name, "GC7FA4");
    EXPECT_EQ(cache.description, "Points g\xC3\xA9od\xC3\xA9siques du Qu\xC3\xA9"
                                 "bec by Sverdrup2, Locationless (Reverse) Cache (1/1)");
    EXPECT_EQ(cache.latitude, 46.1333333333333);
    EXPECT_EQ(cache.longitude, -73);
    EXPECT_EQ(cache.time, (UtcTime{1029394800, 0}));
    EXPECT_EQ(cache.symbol, "Geocache");
    ASSERT_EQ(cache.links.size(), 1u);
    EXPECT_FALSE(cache.links[0].href.empty());
    EXPECT_FALSE(cache.links[0].text.empty());

    const Document expert = ReadGpxFile(InputSource::File(Path("expertgps.gpx")), {}).document;  // ISO-8859-1
    const std::vector<Point> waypoints = expert.waypoints.ToVector();
    EXPECT_EQ(waypoints.at(0).name, "5066");
    EXPECT_EQ(waypoints.at(0).elevation, 44.586548);
    EXPECT_EQ(waypoints.at(0).time, (UtcTime{1006981528, 0}));
    EXPECT_EQ(waypoints.at(0).symbol, "Crossing");
    EXPECT_EQ(waypoints.at(85).name, "5150TANK");
    EXPECT_EQ(expert.routes.at(0).info.name, "BELLEVUE");
    EXPECT_EQ(expert.routes.at(0).info.description, "Bike Loop Bellevue");

    const Document ride = ReadGpxFile(InputSource::File(Path("garminconnect.gpx")), {}).document;
    EXPECT_EQ(ride.tracks.at(0).info.name, "Boulder Cycling");
    const std::vector<Point> points = ride.tracks[0].points.ToVector();
    EXPECT_EQ(points.at(0).latitude, 40.18894976936280727386474609375);
    EXPECT_EQ(points.at(0).elevation, 1531.4000244140625);
    EXPECT_EQ(points.at(67).time, (UtcTime{1673892444, 0}));
    const Point meridian =
        ReadGpxFile(InputSource::File(Path("gpxpassthrough10.gpx")), {}).document.tracks.at(0).points.ToVector().at(0);
    EXPECT_EQ(meridian.time, (UtcTime{1022346381, 250000000}));
}

// The reader reuses one point: a point without a field must not inherit it
// from the point read before it, whichever field that is.
TEST(GpxReader, APointWithoutAFieldDoesNotTakeItFromThePointBefore)
{
    const char* kTpx = "<extensions><gpxtpx:TrackPointExtension xmlns:gpxtpx="
                       "\"http://www.garmin.com/xmlschemas/TrackPointExtension/v2\">";
    const std::vector<std::string> fields = {
        "<ele>12</ele>",
        "<time>2020-01-02T03:04:05Z</time>",
        "<magvar>3</magvar>",
        "<geoidheight>4</geoidheight>",
        "<name>n</name>",
        "<cmt>c</cmt>",
        "<desc>d</desc>",
        "<src>s</src>",
        "<link href=\"h\"/>",
        "<sym>Flag</sym>",
        "<type>t</type>",
        "<fix>3d</fix>",
        "<sat>5</sat>",
        "<hdop>1</hdop>",
        "<vdop>2</vdop>",
        "<pdop>3</pdop>",
        "<ageofdgpsdata>4</ageofdgpsdata>",
        "<dgpsid>5</dgpsid>",
        "<speed>6</speed>",
        "<course>7</course>",
        std::string(kTpx) + "<gpxtpx:hr>140</gpxtpx:hr></gpxtpx:TrackPointExtension></extensions>",
        std::string(kTpx) + "<gpxtpx:cad>90</gpxtpx:cad></gpxtpx:TrackPointExtension></extensions>",
        std::string(kTpx) + "<gpxtpx:atemp>21</gpxtpx:atemp></gpxtpx:TrackPointExtension></extensions>",
        std::string(kTpx) + "<gpxtpx:wtemp>9</gpxtpx:wtemp></gpxtpx:TrackPointExtension></extensions>",
        std::string(kTpx) + "<gpxtpx:depth>2</gpxtpx:depth></gpxtpx:TrackPointExtension></extensions>",
        "<extensions><x:y xmlns:x=\"urn:x\">kept</x:y></extensions>"};
    const auto second = [](const PointList& points) { return points.ToVector().at(1); };
    for (const char* tag : {"wpt", "trkpt"}) {
        const auto file = [&](const std::string& first) {
            const std::string point = std::string("<") + tag + " lat=\"1\" lon=\"2\">";
            const std::string end = std::string("</") + tag + ">";
            const std::string points = point + first + end + point + end;
            return Gpx(std::string(tag) == "wpt" ? points : "<trk><trkseg>" + points + "</trkseg></trk>");
        };
        const auto pointsOf = [&](const ReadResult& r) -> const PointList& {
            return std::string(tag) == "wpt" ? r.document.waypoints : r.document.tracks.at(0).points;
        };
        const Point bare = second(pointsOf(Read(file(""))));
        for (const std::string& field : fields) {
            const ReadResult read = Read(file(field));
            EXPECT_NE(pointsOf(read).ToVector().at(0), bare) << tag << " " << field << " not read";
            EXPECT_EQ(second(pointsOf(read)), bare) << tag << " inherits " << field;
        }
    }
}
