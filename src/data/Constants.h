#pragma once
// Fixed names and texts of the plug-in and of the host's settings.
#include <string_view>

namespace corvenna {

// Registry keys below the current user's root.
inline constexpr std::string_view CorvennaKey = "\\Software\\Quendale\\Corvenna";
inline constexpr std::string_view ScreenSettingsKey = "\\Software\\Quendale\\ScreenSettings";
inline constexpr std::string_view GSTSettingsKey = "\\Software\\Quendale\\GSTSettings";
inline constexpr std::string_view GSTCodeKey = "\\Software\\Quendale\\GSTCode";
inline constexpr std::string_view GSTLabelKey = "\\Software\\Quendale\\GSTLabel";
inline constexpr std::string_view MainWindowKey = "\\Software\\Quendale\\MainWindow";
inline constexpr std::string_view PreferenceKey = "\\Software\\Quendale\\Preference";
inline constexpr std::string_view DataDirectoryKey = "\\Software\\Quendale\\DataDirectory";

// The channel manager's exchange service.
inline constexpr std::string_view DefaultChannelHost = "exchange.corvenna-channel.example";
inline constexpr std::string_view DefaultEndpointPath = "/relayport/services";
inline constexpr std::string_view DefaultEndpoint = "https://exchange.corvenna-channel.example/relayport/services";

// The host product.
inline constexpr std::string_view HostProductName = "Quendale";
inline constexpr std::string_view FrenchEditionName = "Vardelle";
inline constexpr std::string_view UserDocsToken = "{userdocs}";
inline constexpr std::string_view DefaultDatabaseSubPath = "/Quendale/Database";
inline constexpr std::string_view DefaultLanguageSubPath = "/Quendale/Lan/Language.sil";
inline constexpr std::string_view DefaultDataBaseFileName = "Quendale.abs";
inline constexpr std::string_view TempSubPath = "/Quendale/Temp/";
inline constexpr std::string_view OtaLogSubPath = "/Quendale/OTA/";

}  // namespace corvenna
