# The units of each library, by folder. A unit is named once, without its
# extension: its header and, where it has one, its source.

# The core: the text held in pieces and its editing, its counting, spelling
# words and the dictionary, the settings, text files and the recovery copy's
# snapshot and writer, and the framework's parts that need no widgets.
set(VEXLO_CORE_UNITS
  text/graphemes text/linesplit text/runwrap text/piecemodel text/pieceediting text/pieceselection text/rangepainter
  text/textinput
  counting/countrule counting/blocksums counting/limitmath counting/textstats counting/rulecount
  spelling/spellwords spelling/personalwords spelling/wordlistformat spelling/personalwordlist spelling/spellworker
  storage/globals storage/profile storage/settingsdir storage/textfile storage/fileerror storage/snapshottext
  storage/recoverywriter storage/recoverysnapshot
  framework/AtomicFile framework/BakedPictures framework/Colors framework/CursorTable framework/FileLock framework/FileName
  framework/ImageList
  framework/JpegImage framework/PngImage framework/QtTranslations framework/RegularFile framework/ShiftState
  framework/SpellDictionary framework/TextCodec framework/TrayShell framework/VersionRecord framework/VexloError)

# On top of the core: the text area and what reads it, the windows and their
# controls, the tray, accessibility, the command line.
set(VEXLO_WIDGETS_UNITS
  text/memo text/textarealayout text/caretshaping text/clustercaret
  counting/countmenu counting/limitview counting/inputlimit counting/infoline
  spelling/spellchecker spelling/spellview
  storage/recovery
  windows/main windows/mainview windows/mainkeys windows/customize windows/extern windows/linklist windows/changeurl windows/ProCtrls windows/ProUrl
  windows/ProUrlOpen windows/TrayIcon windows/placement windows/accessible windows/abouttext
  app/commandline
  framework/Anchors framework/Application framework/ControlColors framework/Controls framework/ErrorBox
  framework/FileDialogs framework/FileDrop framework/FocusFrameStyle framework/FontDialog framework/Guarded
  framework/LabelButton framework/LaterRepaint framework/Picture framework/QtTrayShell framework/TrayAreaWatch)

function(vexlo_unit_files out)
  set(files)
  foreach(unit ${ARGN})
    set(found FALSE)
    foreach(ext h cpp)
      if(EXISTS ${PROJECT_SOURCE_DIR}/src/${unit}.${ext})
        list(APPEND files ${PROJECT_SOURCE_DIR}/src/${unit}.${ext})
        set(found TRUE)
      endif()
    endforeach()
    if(NOT found)
      message(FATAL_ERROR "No source for the unit ${unit}")
    endif()
  endforeach()
  set(${out} ${files} PARENT_SCOPE)
endfunction()

vexlo_unit_files(VEXLO_CORE_SOURCES ${VEXLO_CORE_UNITS})
vexlo_unit_files(VEXLO_WIDGETS_SOURCES ${VEXLO_WIDGETS_UNITS})

# Every unit in src/ belongs to one of the two: a new file is named above.
file(GLOB_RECURSE all_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/*.h ${PROJECT_SOURCE_DIR}/src/*.cpp)
list(REMOVE_ITEM all_sources ${VEXLO_CORE_SOURCES} ${VEXLO_WIDGETS_SOURCES}
     ${PROJECT_SOURCE_DIR}/src/app/vexloed.cpp ${PROJECT_SOURCE_DIR}/src/resources/bakepictures.cpp)
if(all_sources)
  message(FATAL_ERROR "Units in neither library (cmake/Sources.cmake): ${all_sources}")
endif()
