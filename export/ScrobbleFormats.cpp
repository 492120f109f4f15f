#include "export/ScrobbleFormats.h"

#include "database/Library.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

namespace quaverly::exporting {
namespace {

QByteArray logField(const QString& text)
{
    QByteArray bytes = text.toUtf8();
    for (char& c : bytes) {
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    }
    return bytes;
}

qint64 wholeSeconds(qint32 lengthMs)
{
    return lengthMs > 0 ? (qint64(lengthMs) + 500) / 1000 : 0;
}

void writeString(rapidjson::Writer<rapidjson::StringBuffer>& writer, const char* key, const QString& value)
{
    const QByteArray bytes = value.toUtf8();
    writer.Key(key);
    writer.String(bytes.constData(), static_cast<rapidjson::SizeType>(bytes.size()));
}

} // namespace

std::optional<PlayLogFormat> parsePlayLogFormat(const QString& text)
{
    if (text.compare(QLatin1String("audioscrobbler"), Qt::CaseInsensitive) == 0)
        return PlayLogFormat::Audioscrobbler;
    if (text.compare(QLatin1String("listenbrainz"), Qt::CaseInsensitive) == 0)
        return PlayLogFormat::ListenBrainz;
    return std::nullopt;
}

QByteArray audioscrobblerLog(const database::Library& library, const std::vector<ScrobblePlay>& plays, bool utc)
{
    QByteArray out = "#AUDIOSCROBBLER/1.1\n";
    out += utc ? "#TZ/UTC\n" : "#TZ/UNKNOWN\n";
    out += "#CLIENT/Quaverly " QUAVERLY_VERSION "\n";
    out.reserve(out.size() + qsizetype(plays.size()) * 96);
    for (const ScrobblePlay& play : plays) {
        const database::TrackRecord& track = library.Tracks[static_cast<size_t>(play.trackIndex)];
        out += logField(scrobbleArtist(track)) + '\t' + logField(track.Album) + '\t' + logField(track.Title) + '\t';
        if (track.TrackNumber > 0)
            out += QByteArray::number(track.TrackNumber);
        out += '\t' + QByteArray::number(wholeSeconds(track.Length)) + "\tL\t" + QByteArray::number(play.unixTime)
            + "\t\n";
    }
    return out;
}

QByteArray listenBrainzJson(const database::Library& library, const std::vector<ScrobblePlay>& plays)
{
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    writer.StartObject();
    writer.Key("listen_type");
    writer.String("import");
    writer.Key("payload");
    writer.StartArray();
    for (const ScrobblePlay& play : plays) {
        const database::TrackRecord& track = library.Tracks[static_cast<size_t>(play.trackIndex)];
        writer.StartObject();
        writer.Key("listened_at");
        writer.Int64(play.unixTime);
        writer.Key("track_metadata");
        writer.StartObject();
        writeString(writer, "artist_name", scrobbleArtist(track));
        writeString(writer, "track_name", track.Title);
        if (!track.Album.trimmed().isEmpty())
            writeString(writer, "release_name", track.Album);
        writer.Key("additional_info");
        writer.StartObject();
        if (track.TrackNumber > 0) {
            writer.Key("tracknumber");
            writer.Int(track.TrackNumber);
        }
        if (track.Length > 0) {
            writer.Key("duration_ms");
            writer.Int(track.Length);
        }
        writer.Key("media_player");
        writer.String("Quaverly");
        writer.Key("submission_client");
        writer.String("Quaverly");
        writer.Key("submission_client_version");
        writer.String(QUAVERLY_VERSION);
        writer.EndObject();
        writer.EndObject();
        writer.EndObject();
    }
    writer.EndArray();
    writer.EndObject();
    return QByteArray(buffer.GetString(), static_cast<qsizetype>(buffer.GetSize())) + '\n';
}

} // namespace quaverly::exporting
