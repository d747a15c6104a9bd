#include "render/opengl/OpenGLMessages.h"

namespace PM {

namespace {

struct Texts {
  const char* english;
  const char* german;
  const char* spanish;
};

constexpr const char kNotInstalled[] =
    "OpenGL Version 1.1 or higher is not installed or damaged.\n  Please consider a display driver update.\n\n";

// In the order of OpenGLMessage.
const Texts kTexts[] = {
    {"Your current display driver is outdated and does not support OpenGL 3D graphics.\nWe strongly recommend that you "
     "download the latest (OpenGL) graphics driver suiting your video adapter. First uninstall the current graphics "
     "driver then install the newest one.\nIf the problem persists even after replacing the driver, please send a "
     "trouble report.\nWindows reports the display adapter as \"#1\".\n\nWindowsError: #2\n",
     "Der Gerätetreiber ihrer Grafikkarte ist veraltet und unterstützt keine OpenGL 3D Grafik.\nWir empfehlen "
     "unbedingt den Download des aktuellsten (OpenGL) Grafiktreibers, der zu Ihrer Grafikkarte passt. Deinstallieren "
     "Sie zuerst den alten Grafiktreiber und installieren Sie anschliessend erst den neuesten.\nSollte das Problem "
     "trotz Treiberaustausch weiterhin auftreten, senden Sie bitte ein Problemformular.\nWindows meldet die "
     "Grafikkarte als \"#1\".\n\nWindowsError: #2\n",
     "El controlador de tu tarjeta gráfica es antiguo y no soporta gráficos de OpenGL 3D.\nSe recomienda que descargue "
     "el ultimo controlador de (OpenGL) para su tarjeta gráfica. Desinstale primero el controlador antiguo y después "
     "instale el nuevo.\nSi habiendo instalado el nuevo controlador de su tarjeta gráfica sigue tiendo problemas por "
     "favor mande un Formulario de Error.\nWindows anunciar la tarjeta gráfica como \"#1\".\n\nWindowsError: #2\n"},
    {"No valid OpenGL display configuration could be found.\n  Please try changing the display mode to 16bit (High "
     "Color) or 32bit (True Color).\n\n  WindowsError: #1.",
     "Es konnte keine gültige OpenGL Bildschirmkonfiguration gefunden werden.\n  Bitte wechseln Sie den Grafikmodus "
     "auf 16bit (High Color) oder 32bit (True Color).\n\n  WindowsError: #1.",
     "No se ha encontrado una configuración de OpenGL valida.\n Por favor cambie el modus de la tarjeta gráfica a "
     "16bit (High Color) o 32bit (True Color).\n\n  WindowsError: #1."},
    {"No valid OpenGL display configuration could be found.\n  Please try changing the display mode to 16bit (High "
     "Color) or 32bit (True Color).\n\n  ",
     "Es konnte keine gültige OpenGL Bildschirmkonfiguration gefunden werden.\n  Bitte wechseln Sie den Grafikmodus "
     "auf 16bit (High Color) oder 32bit (True Color).\n\n  ",
     "Es konnte keine gültige OpenGL Bildschirmkonfiguration gefunden werden.\n  Bitte wechseln Sie den Grafikmodus "
     "auf 16bit (High Color) oder 32bit (True Color).\n\n  "},
    {"Your current display driver does NOT support hardware accelerated OpenGL 3D functions.\nThis will result in VERY "
     "LOW PERFORMANCE and quality.\nWe strongly recommend that you download and install the latest (OpenGL) graphics "
     "driver suiting your video adapter.\nPlease also consider the system requirements.\nWindows reports the display "
     "adapter as \"#1\".\n",
     "Der aktuelle Gerätetreiber der Grafikkarte unterstützt NICHT alle erforderlichen 3D Funktionen.\nDies bewirkt "
     "eine EXTREM NIEDRIGE GESCHWINDIGKEIT und Qualität bei der Darstellung.\nWir empfehlen unbedingt den Download und "
     "die Installation des aktuellsten (OpenGL) Grafiktreibers, der zu Ihrer Grafikkarte passt.\nBitte beachten Sie "
     "auch die Systemvoraussetzungen.\nWindows meldet die Grafikkarte als \"#1\".",
     "El controlador actual de su tarjeta gráfica no soporta todas las funciones 3D. \nEsto provoca que la vellosidad "
     "es muy baja y la calidad de la imagen.\nSe recomienda que descargue y instale el ultimo controlador de (OpenGL) "
     "para su tarjeta gráfica.\nPor favor mire también las  Condiciones para el sistema.\nWindows anunciar la tarjeta "
     "gráfica como \"#1\"."},
    {"This computer seems to be configured for multiple desktops or multiple monitors, but your current display driver "
     "failed to create an output window for the 3D graphics.\nPlease disable any extra desktops and extra "
     "monitors.\nMaybe other Applications are consuming too much video memory.\nPlease close all other applications or "
     "reboot your PC, then try it again.\nWe recommend that you download the latest (OpenGL) graphics driver suiting "
     "your video adapter. First uninstall the current graphics driver then install the newest one.\nIf the problem "
     "persists even after replacing the driver, please send a trouble report.\nWindows reports the display adapter as "
     "\"#1\".\n\nWindowsError: #2\n",
     "Dieser computer scheint für Mehrbildschirmbetrieb oder mehrere Arbeitsflächen konfiguriert zu sein, der aktuelle "
     "Gerätetreiber der Grafikkarte ist jedoch nicht in der Lage in diesem Modus ein Ausgabefenster für die 3D Grafik "
     "zu erzeugen.\nBitte deaktivieren Sie die extra Arbeitsflächen und extra Monitore.\nMöglicherweise verbrauchen "
     "andere Applikationen zu viel Videospeicher.\nBitte schliessen Sie alle anderen Applikationen oder starten sie "
     "ihren computer neu und versuchen Sie es anschliessend erneut.\nWir empfehlen ausserdem den Download des "
     "aktuellsten (OpenGL) Grafiktreibers, der zu Ihrer Grafikkarte passt. Deinstallieren Sie zuerst den alten "
     "Grafiktreiber und installieren Sie anschliessend erst den neuesten.\nSollte das Problem trotz Treiberaustausch "
     "weiterhin auftreten, senden Sie bitte ein Problemformular.\nWindows meldet die Grafikkarte als "
     "\"#1\".\n\nWindowsError: #2\n",
     "Parece que este ordenador esta configurado para mas que una pantalla o para varios escritorios, pero el "
     "controlador actual de la tarjeta gráfica no pude mostrar una ventana con gráficos 3D en este modo.\nPor favor "
     "desactive el secundo escritorio y pantallas.\nPosiblemente otros programas están utilizando demasiado memoria de "
     "Vídeo.Por favor cierre todos los programas o inicie de nuevo su ordenado y intente lo de nuevo.\nSe recomienda "
     "que descargue el ultimo controlador de (OpenGL) para su tarjeta gráfica. Desinstale primero el controlador "
     "antiguo y después instale el nuevo.\nSi habiendo instalado el nuevo controlador de su tarjeta gráfica sigue "
     "tiendo problemas por favor mande un Formulario de Error.\nWindows anunciar la tarjeta gráfica como "
     "\"#1\".\n\nWindowsError: #2\n"},
    {"Your current display driver failed to create an output window for the 3D graphics.\nMaybe other Applications are "
     "consuming too much video memory.\nPlease close all other applications or reboot your PC, then try it again.\nWe "
     "also recommend that you download the latest (OpenGL) graphics driver suiting your video adapter. First uninstall "
     "the current graphics driver then install the newest one.\nIf the problem persists even after replacing the "
     "driver, please send a trouble report.\nWindows reports the display adapter as \"#1\".\n\nWindowsError: #2\n",
     "Der aktuelle Gerätetreiber der Grafikkarte war nicht in der Lage ein Ausgabefenster für die 3D Grafik zu "
     "erzeugen.\nMöglicherweise verbrauchen andere Applikationen zu viel Videospeicher.\nBitte schliessen Sie alle "
     "anderen Applikationen oder starten sie ihren computer neu und versuchen Sie es anschliessend erneut.\nWir "
     "empfehlen den Download des aktuellsten (OpenGL) Grafiktreibers, der zu Ihrer Grafikkarte passt. Deinstallieren "
     "Sie zuerst den alten Grafiktreiber und installieren Sie anschliessend erst den neuesten.\nSollte das Problem "
     "trotz Treiberaustausch weiterhin auftreten, senden Sie bitte ein Problemformular.\nWindows meldet die "
     "Grafikkarte als \"#1\".\n\nWindowsError: #2\n",
     "El controlador actual de la tarjeta gráfica no pudo mostrar una ventana con gráficos 3D\nPosiblemente otros "
     "programas están utilizando demasiado memoria de Vídeo.\nPor favor cierre todos los programas o inicie de nuevo "
     "su ordenado y intente lo de nuevo.\nSe recomienda que descargue el ultimo controlador de (OpenGL) para su "
     "tarjeta gráfica. Desinstale primero el controlador antiguo y después instale el nuevo.\nSi habiendo instalado el "
     "nuevo controlador de su tarjeta gráfica sigue tiendo problemas por favor mande un Formulario de Error.\nWindows "
     "anunciar la tarjeta gráfica como \"#1\".\n\nWindowsError: #2\n"},
    {kNotInstalled, kNotInstalled, kNotInstalled},
    {"OpenGL Version 1.1 or higher is not installed or damaged.\n  Please consider a display driver update.\n\n"
     "  WindowsError: #1.",
     "OpenGL Version 1.1 or higher is not installed or damaged.\n  Please consider a display driver update.\n\n"
     "  WindowsError: #1.",
     "OpenGL Version 1.1 or higher is not installed or damaged.\n  Please consider a display driver update.\n\n"
     "  WindowsError: #1."},
};

}  // namespace

const char* OpenGLMessageText(OpenGLMessage message, int language) {
  const Texts& t = kTexts[int(message)];
  return language == 0 ? t.english : language == 2 ? t.spanish : t.german;
}

}  // namespace PM
