#include "render/dialog/GraphicsSetupDialog.h"

#include <cstdio>

#include "core/Language.h"
#include "core/Log.h"
#include "engine/RenderEngine.h"
#include "platform/MessageDialog.h"
#include "render/RenderPipe.h"

namespace PM {

namespace {

// The dialog's texts by language: English, German, Spanish (Windows-1252).
enum TextId { kTitle, kDetecting, kRecommendedFormat, kAvailableFormat, kWarning, kNoteText };
const char* const kTexts[][3] = {
    {"Pelmora: Graphics Configuration", "Pelmora: Grafik Konfiguration",
     "Pelmora: Configuraci\xF3n Gr\xE1"
     "fica"},
    {"Detection of the available video memory can take a few seconds, please be patient.",
     "Die Erkennung des verf\xFCgbaren Speichers kann einige Sekunden dauern, bitte etwas Geduld.",
     "El reconocimiento del espacio de memoria pude tarda unos secundos por favor tengan paciencia."},
    {"%0.2f MB recommended.", "%0.2f MB empfohlen.", "%0.2f MB recomendado."},
    {">%0.2f MB available.", ">%0.2f MB verf\xFCgbar.", ">%0.2f MB disponible."},
    {"Warning: Your graphics card seems to have less free video memory than you selected. if you continue with this "
     "setting the application may be very slow or jerky.",
     "Warnung: Ihre Grafik-Karte scheint weniger freien Speicher zu haben als Sie gew\xE4hlt haben. Wenn Sie mit "
     "dieser Einstellung fortsetzen wird die Anwendung m\xF6glicherweise sehr langsam oder ruckartig sein.",
     "Atenci\xF3n: Su tarjeta gr\xE1"
     "fica parece que tiene menos espacio libre que ha elegido. Si sigue con estos ajustes la utilizaci\xF3n del "
     "programa ser\xE1 muy despacio."},
    {"Note: You did not use the automatic detection yet.\r\nSo please ensure that you made the right choice before you "
     "continue.",
     "Anmerkung: Sie haben noch keine automatische Erkennung durchgef\xFChrt.\r\nBitte vergewissern Sie sich, dass die "
     "Einstellung korrekt ist, bevor Sie fortsetzen.",
     "Aviso: No ha hecho un reconocimiento autom\xE1tico.\r\nPor favor mire que los ajuste est\xE9n bien antes de "
     "seguir."},
};

const char* TextOf(TextId id) {
  const int language = GetLanguage();
  return kTexts[id][language == 1 ? 1 : language == 2 ? 2 : 0];
}

void Exclaim(const char* text) { ShowMessageBox("Pelmora:", text, MessageIcon::kExclamation, kAnswerOk); }

// Without a front end the dialog takes its default answer at once.
int AnswerAtOnce(GraphicsSetupDialog& dialog, PlatformWindow*) {
  dialog.OnInitDialog();
  dialog.OnCommand(GraphicsSetupDialog::kOk);
  Log(LogOutPipe(), kLevelInfo, "GraphicsSetupDialog: no dialog front end installed; answered OK.");
  return 0;
}

GraphicsSetupHandler g_handler = &AnswerAtOnce;

constexpr uint32_t kMB = 1048576;

}  // namespace

const GraphicsSetupDialog::ControlRow GraphicsSetupDialog::kControls[12] = {
    {1025, kDefaultButton, 135, 103, 50, 14, "OK", nullptr, nullptr},
    {1019, kButton, 108, 17, 100, 14, "Autodetect Graphics Memory", "Automatisch Erkennen",
     "Reconocimiento autom\xE1tico"},
    {1026, kGroupBox, 7, 121, 306, 69, "Display Driver / GPU Information", "Grafiktreiber / GPU Information",
     "Controlador Tarjeta Gr\xE1"
     "fica / Informaci\xF3n GPU"},
    {1027, kStatic, 31, 20, 75, 11, "", nullptr, nullptr},
    {1028, kGroupBox, 15, 7, 290, 66, "please click on autodetect or select the desired quality",
     "Bitte w\xE4hlen Sie automatische Erkennung oder die gew\xFCnschte Qualit\xE4t",
     "Por favor elija Reconocimiento autom\xE1tico o la calidad deseada"},
    {1024, kInfoText, 9, 133, 302, 58, "", nullptr, nullptr},
    {1030, kStatic, 220, 20, 77, 11, "", nullptr, nullptr},
    {1020, kRadio, 32, 32, 270, 10, "  16 MB graphics memory: faster download, faster graphics, less detail",
     "  16 MB Grafikspeicher, schnellerer Download, schnelle Grafik, weniger Details",
     "  16 MB de memoria Gr\xE1"
     "fica, descarga r\xE1pida, gr\xE1"
     "ficos r\xE1pidos, menos detalles"},
    {1021, kRadio, 32, 41, 264, 10, "  32 MB graphics memory: better graphics, full detail",
     "  32 MB Grafikspeicher, bessere Grafik, mehr Details",
     "  32 MB de memoria Gr\xE1"
     "fica, mejor gr\xE1"
     "fico, mas detalles"},
    {1022, kRadio, 32, 51, 264, 10, "  64 MB graphics memory: better graphics, full detail, high quality",
     "  64 MB Grafikspeicher, bessere Grafik, hohe Qualit\xE4t",
     "  64 MB de memoria Gr\xE1"
     "fica, mejor gr\xE1"
     "fico, calidad alta"},
    {1023, kRadio, 32, 61, 264, 10, "128 MB graphics memory or more", "128 MB Grafikspeicher oder mehr",
     "128 MB de memoria Gr\xE1"
     "fica o mas"},
    {1031, kStatic, 29, 76, 280, 25,
     "Note: do not select more memory than your graphics card has available since this may degrade the application "
     "performance. Select 16 MB to reduce the download time if you have a slow modem internet connection.",
     "Hinweis: w\xE4hlen Sie nicht mehr Speicher als Ihre Grafikkarte zur Verf\xFCgung hat, da sich dies negativ auf "
     "die Programmgeschwindigkeit auswirkt. W\xE4hlen Sie 16 MB um die Downloadzeit zu verk\xFCrzen, falls Sie einen "
     "langsamen Modem-Internetanschluss haben.",
     "Aviso: No elija mas espacio de memoria Gr\xE1"
     "fica que tiene porque esto pude tener efecto negativo en la vellosidad del programa. Elija 16MB para acorta el "
     "tiempo de descarga por si tiene una conexi\xF3n de internet de 56bits."},
};

GraphicsSetupDialog::GraphicsSetupDialog() : m_title(TextOf(kTitle)) {}

GraphicsSetupDialog::~GraphicsSetupDialog() = default;

void GraphicsSetupDialog::SetRenderPipe(RenderPipe_I* pipe) { m_pipe = pipe; }

void GraphicsSetupDialog::SetFont(const String& face, int32_t pointSize) {
  m_fontFace = face;
  m_fontPointSize = pointSize;
}

GraphicsSetupHandler GraphicsSetupDialog::SetHandler(GraphicsSetupHandler handler) {
  GraphicsSetupHandler old = g_handler;
  g_handler = handler ? handler : &AnswerAtOnce;
  return old;
}

int32_t GraphicsSetupDialog::Show() {
  if (!m_pipe) {
    Log(LogOutPipe(), kLevelError, "GraphicsSetupDialog::Show: no RenderPipe set.");
    return -1;
  }
  if (m_infoText.IsEmpty()) m_pipe->GetSystemReport(&m_infoText);
  if (m_open) return m_result;
  m_result = -1;
  m_open = true;
  m_ended = false;
  if (g_handler(*this, m_pipe->GetWindowHandle()) == -1)
    Log(LogOutPipe(), kLevelError, "GraphicsSetupDialog DialogBoxParam failed");
  m_open = false;
  return m_result;
}

int GraphicsSetupDialog::Index(int32_t id) const {
  for (int i = 0; i < 12; ++i)
    if (kControls[i].id == id) return i;
  return -1;
}

const std::string& GraphicsSetupDialog::Text(int32_t id) const {
  static const std::string kNone;
  const int i = Index(id);
  return i < 0 ? kNone : m_texts[i];
}
bool GraphicsSetupDialog::IsChecked(int32_t id) const {
  const int i = Index(id);
  return i >= 0 && m_checked[i];
}
bool GraphicsSetupDialog::IsVisible(int32_t id) const {
  const int i = Index(id);
  return i >= 0 && m_visible[i];
}
bool GraphicsSetupDialog::IsEnabled(int32_t id) const {
  const int i = Index(id);
  return i >= 0 && m_enabled[i];
}

void GraphicsSetupDialog::OnInitDialog() {
  const int language = GetLanguage();
  for (int i = 0; i < 12; ++i) {
    const ControlRow& c = kControls[i];
    const char* text = language == 1 && c.german ? c.german : language == 2 && c.spanish ? c.spanish : c.text;
    m_texts[i] = text;
    m_checked[i] = false;
    m_visible[i] = m_enabled[i] = true;
  }
  m_texts[Index(kInfo)] = std::string(m_infoText.View());
  m_checked[Index(kRadio16)] = true;
  m_ended = false;
}

void GraphicsSetupDialog::OnClose() { m_ended = true; }

void GraphicsSetupDialog::OnCommand(int32_t id) {
  switch (id) {
    case kAutodetect:
      return Autodetect();
    case kRadio16:
    case kRadio32:
    case kRadio64:
    case kRadio128:
      return Choose(id);
    case kOk:
      m_result = 0;
      m_ended = true;
      return;
    default:
      return;
  }
}

void GraphicsSetupDialog::Autodetect() {
  m_visible[Index(kAutodetect)] = m_visible[Index(kOk)] = false;
  Exclaim(TextOf(kDetecting));
  RenderEngine* engine = m_pipe ? m_pipe->GetRenderEngine() : nullptr;
  int32_t free = 0x7FFFFF;  // the interface's own answer when there is no engine to ask
  if (engine) {
    free = engine->DetectTextureMemory();
  } else {
    Log(LogOutPipe(), kLevelWarn, "GraphicsSetupDialog: the pipe has no render engine; assuming ", free, " bytes.");
  }
  int32_t recommended = int32_t(8 * kMB);
  const struct {
    int32_t bound, recommended;
  } kClasses[] = {{int32_t(9 * kMB), int32_t(16 * kMB)},
                  {int32_t(17 * kMB), int32_t(32 * kMB)},
                  {int32_t(33 * kMB), int32_t(64 * kMB)},
                  {int32_t(65 * kMB), int32_t(128 * kMB)}};
  for (const auto& c : kClasses)
    if (free >= c.bound) recommended = c.recommended;
  char text[96];
  std::snprintf(text, sizeof(text), TextOf(kRecommendedFormat), double(float(recommended) * (1.0f / 1048576.0f)));
  m_texts[Index(kRecommended)] = text;
  std::snprintf(text, sizeof(text), TextOf(kAvailableFormat), double(float(free) * (1.0f / 1048576.0f)));
  m_texts[Index(kAvailable)] = text;
  const uint32_t r = uint32_t(recommended);
  m_checked[Index(kRadio16)] = r <= 16 * kMB;
  m_checked[Index(kRadio32)] = r == 32 * kMB;
  m_checked[Index(kRadio64)] = r == 64 * kMB;
  m_checked[Index(kRadio128)] = r >= 128 * kMB;
  m_visible[Index(kAutodetect)] = true;
  m_enabled[Index(kOk)] = m_visible[Index(kOk)] = true;
  m_videoMemory = recommended;
  m_textureMemory = free;
  m_detected = uint32_t(free);
  m_recommended = r;
}

void GraphicsSetupDialog::Choose(int32_t radio) {
  const int ok = Index(kOk);
  m_enabled[ok] = m_visible[ok] = true;
  static const struct {
    int32_t id;
    uint32_t video, texture;
  } kChoices[] = {{kRadio16, 16 * kMB, 7 * kMB},
                  {kRadio32, 32 * kMB, 22 * kMB},
                  {kRadio64, 64 * kMB, 54 * kMB},
                  {kRadio128, 128 * kMB, 118 * kMB}};
  for (const auto& c : kChoices) {
    m_checked[Index(c.id)] = c.id == radio;
    if (c.id == radio) m_videoMemory = int32_t(c.video), m_textureMemory = int32_t(c.texture);
  }
  if (m_recommended != 0 && m_detected != 0 && uint32_t(m_videoMemory) > m_recommended) Exclaim(TextOf(kWarning));
  if (m_recommended == 0) Exclaim(TextOf(kNoteText));
}

}  // namespace PM
