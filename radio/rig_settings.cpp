#include "radio/rig_settings.h"

#include "platform/cm108_report.h"
#include "platform/ini_file.h"
#include "radio/client_settings.h"

void LoadRigSettings(const CIniFile& ini, RigSettings& s) {
    const RigSettings defaults;
    auto number = [&](const char* key, int& field, int defaultValue) {
        field = ini.GetInt(kRigSection, key, defaultValue);
    };
    auto flag = [&](const char* key, bool& field, bool defaultValue) {
        field = ini.GetInt(kRigSection, key, defaultValue) != 0;
    };
    // The choices are numbered from 0 to `last`.
    auto choice = [&]<typename Choice>(const char* key, Choice& field, Choice defaultValue,
                                       Choice last) {
        const int value = ini.GetInt(kRigSection, key, int(defaultValue));
        field = value >= 0 && value <= int(last) ? Choice(value) : defaultValue;
    };

    choice("TYPE", s.keyingMethod, defaults.keyingMethod, RigKeyingMethod::Gpio);
    number("COMPORT", s.comPort, defaults.comPort);
    number("ILINK", s.ilinkPort, defaults.ilinkPort);
    number("FREQ", s.toneFrequencyHz, defaults.toneFrequencyHz);
    number("LEVEL", s.toneLevel, defaults.toneLevel);
    choice("LINE", s.keyLine, defaults.keyLine, RigKeyLine::Dtr);
    flag("REV", s.invertKeying, defaults.invertKeying);
    number("HVKCOMPORT", s.halvekPort, defaults.halvekPort);
    flag("HVKDIGSQL", s.halvekDigitalSquelch, defaults.halvekDigitalSquelch);
    flag("HVKDIGSQLACT", s.halvekDigitalSquelchActiveHigh, defaults.halvekDigitalSquelchActiveHigh);
    number("HVKSQLLEVEL", s.halvekSquelchLevel, defaults.halvekSquelchLevel);
    choice("SQLLINE", s.squelchLine, defaults.squelchLine, RigSquelchLine::Gpio);
    flag("SQLREV", s.invertSquelch, defaults.invertSquelch);
    flag("TXTOT", s.txTimeoutEnabled, defaults.txTimeoutEnabled);
    number("TxTimeout", s.txTimeoutSeconds, defaults.txTimeoutSeconds);
    number("TxRestart", s.txRestartSeconds, defaults.txRestartSeconds);
    s.cm108Device = ini.GetText(kRigSection, "CM108DEV", defaults.cm108Device);
    number("CM108PIN", s.cm108Pin, defaults.cm108Pin);
    if (s.cm108Pin < kCm108FirstPin || s.cm108Pin > kCm108LastPin)
        s.cm108Pin = defaults.cm108Pin;
    flag("CM108REV", s.cm108InvertKeying, defaults.cm108InvertKeying);
    flag("CM108SQLREV", s.cm108InvertSquelch, defaults.cm108InvertSquelch);
    s.gpioChip = ini.GetText(kRigSection, "GPIOCHIP", defaults.gpioChip);
    s.gpioKeyLine = ini.GetText(kRigSection, "GPIOKEYLINE", defaults.gpioKeyLine);
    flag("GPIOREV", s.gpioInvertKeying, defaults.gpioInvertKeying);
    s.gpioSquelchLine = ini.GetText(kRigSection, "GPIOSQLLINE", defaults.gpioSquelchLine);
    flag("GPIOSQLREV", s.gpioInvertSquelch, defaults.gpioInvertSquelch);
    s.audioDevice = ini.GetInt(kClientSection, "AUDIO_IN", defaults.audioDevice);
    s.audioDeviceName = ini.GetText(kClientSection, "AUDIO_DEVICE", "");
}

void SaveRigSettings(CIniFile& ini, const RigSettings& s) {
    auto number = [&](const char* key, int value) { ini.SetInt(kRigSection, key, value); };

    number("TYPE", int(s.keyingMethod));
    number("COMPORT", s.comPort);
    number("ILINK", s.ilinkPort);
    number("FREQ", s.toneFrequencyHz);
    number("LEVEL", s.toneLevel);
    number("LINE", int(s.keyLine));
    number("REV", s.invertKeying);
    number("HVKCOMPORT", s.halvekPort);
    number("HVKDIGSQL", s.halvekDigitalSquelch);
    number("HVKDIGSQLACT", s.halvekDigitalSquelchActiveHigh);
    number("HVKSQLLEVEL", s.halvekSquelchLevel);
    number("SQLLINE", int(s.squelchLine));
    number("SQLREV", s.invertSquelch);
    number("TXTOT", s.txTimeoutEnabled);
    number("TxTimeout", s.txTimeoutSeconds);
    number("TxRestart", s.txRestartSeconds);
    ini.SetText(kRigSection, "CM108DEV", s.cm108Device);
    number("CM108PIN", s.cm108Pin);
    number("CM108REV", s.cm108InvertKeying);
    number("CM108SQLREV", s.cm108InvertSquelch);
    ini.SetText(kRigSection, "GPIOCHIP", s.gpioChip);
    ini.SetText(kRigSection, "GPIOKEYLINE", s.gpioKeyLine);
    number("GPIOREV", s.gpioInvertKeying);
    ini.SetText(kRigSection, "GPIOSQLLINE", s.gpioSquelchLine);
    number("GPIOSQLREV", s.gpioInvertSquelch);
    ini.SetInt(kClientSection, "AUDIO_IN", s.audioDevice);
    // Files that never named a device stay without the key.
    if (!s.audioDeviceName.empty() || ini.Find(kClientSection, "AUDIO_DEVICE"))
        ini.SetText(kClientSection, "AUDIO_DEVICE", s.audioDeviceName);
}
