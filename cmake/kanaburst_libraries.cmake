# The game's libraries, one for each folder of src/ (the game itself is one, over the seven
# folders of its subsystems), defined here for the desktop build (CMakeLists.txt) and the
# page's (web/CMakeLists.txt) alike, so that both link them by name and the folder list below is
# the code's architecture. A folder's library is every .cpp file directly in it, but a program's
# entry (NAME_main.cpp), which its executable names. A folder that only one build uses sits in
# that build's branch below.
#
# Before including this, a build defines kb_sdl2, an interface target with SDL and its
# companion libraries (fonts, pictures, sound), kb_sodium, libsodium (the rooms' keys and sealed
# messages), kb_json, one with nlohmann's JSON headers, and kb_zlib, one with zlib.
include(${CMAKE_CURRENT_LIST_DIR}/cp932_table.cmake)
get_filename_component(KB_SRC ${CMAKE_CURRENT_LIST_DIR}/../src ABSOLUTE)

# kb_library(NAME FOLDER... [PUBLIC LIB...] [PRIVATE LIB...])
function(kb_library name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "PUBLIC;PRIVATE")
    set(sources)
    foreach(folder ${arg_UNPARSED_ARGUMENTS})
        file(GLOB found CONFIGURE_DEPENDS ${KB_SRC}/${folder}/*.cpp)
        list(FILTER found EXCLUDE REGEX "_main\\.cpp$")
        list(APPEND sources ${found})
    endforeach()
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${KB_SRC})
    target_link_libraries(${name} PUBLIC ${arg_PUBLIC} PRIVATE ${arg_PRIVATE})
endfunction()

# Text conversion, beneath everything.
kb_library(kanaburst_text text)
kb_embed_cp932_table(kanaburst_text ${KB_SRC}/text/cp932.tbl)
# What the game needs from the machine, with do-nothing stand-ins, and the switchboard.
kb_library(kanaburst_platform platform PUBLIC kanaburst_text)
# The game: the state record and every routine, with the player's record, which the game feeds
# as it plays (each kana typed, each match's end) and which reads the game's words and figures.
kb_library(kanaburst_core shell typing battle screens audio net debug record
    PUBLIC kanaburst_platform PRIVATE kb_json)
# The player's record drawn, and its keys; the replays of a record file read as replays are.
kb_library(kanaburst_record_view record_view PUBLIC kanaburst_core PRIVATE kanaburst_replay)
# Replays: every match recorded as it is played, and played again in a game of its own; a
# replay deflated for a link.
kb_library(kanaburst_replay replay PUBLIC kanaburst_core PRIVATE kb_zlib)

# The machine, in both builds.
kb_library(kanaburst_posix platform/posix PUBLIC kanaburst_platform)
kb_library(kanaburst_sdl platform/sdl PUBLIC kanaburst_platform kb_sdl2)
# Ways to meet in both builds.
kb_library(kanaburst_room platform/room PUBLIC kanaburst_platform PRIVATE kb_sodium)
kb_library(kanaburst_script_peer platform/script_peer PUBLIC kanaburst_platform)

if(EMSCRIPTEN)
    # The page's own pieces, over the page's scripts.
    kb_library(kanaburst_web platform/web PUBLIC kanaburst_room)
    set(KB_PAGE_SCRIPT ${KB_SRC}/../web/game_calls.js)
    target_link_options(kanaburst_web INTERFACE -lwebsocket.js "SHELL:--js-library ${KB_PAGE_SCRIPT}")
    set_property(TARGET kanaburst_web APPEND PROPERTY INTERFACE_LINK_DEPENDS ${KB_PAGE_SCRIPT})
    set(KB_PLATFORM_ONLY kanaburst_web)
else()
    find_package(Threads REQUIRED)
    kb_library(kanaburst_tcp platform/tcp PUBLIC kanaburst_platform Threads::Threads)
    # libmosquitto only here: nothing else in the game speaks MQTT.
    pkg_check_modules(MOSQUITTO REQUIRED IMPORTED_TARGET libmosquitto)
    # The relay over TLS: libmosquitto's TLS is OpenSSL's, and the relay's name is checked with
    # it.
    find_package(OpenSSL REQUIRED)
    kb_library(kanaburst_mosquitto platform/mosquitto PUBLIC kanaburst_room kanaburst_tcp
        PRIVATE PkgConfig::MOSQUITTO OpenSSL::SSL)
    kb_library(kanaburst_desktop platform/desktop PUBLIC kanaburst_sdl Threads::Threads)
    # Dear ImGui draws the debug console. Debian's libimgui.a holds the SDL input backend but
    # ships the SDL_Renderer backend only as an example source, so it is compiled here, as it
    # comes.
    pkg_check_modules(IMGUI REQUIRED IMPORTED_TARGET imgui)
    include(${CMAKE_CURRENT_LIST_DIR}/imgui_sdlrenderer.cmake)
    target_sources(kanaburst_desktop PRIVATE ${KB_IMGUI_SDLRENDERER})
    set_source_files_properties(${KB_IMGUI_SDLRENDERER} PROPERTIES COMPILE_OPTIONS -w)
    find_path(KB_IMGUI_BACKENDS imgui_impl_sdlrenderer.h PATHS ${IMGUI_INCLUDE_DIRS}
        PATH_SUFFIXES backends)
    target_include_directories(kanaburst_desktop PRIVATE ${KB_IMGUI_BACKENDS})
    target_link_libraries(kanaburst_desktop PRIVATE PkgConfig::IMGUI)
    # The player's record in Debian's SQLite.
    pkg_check_modules(SQLITE REQUIRED IMPORTED_TARGET sqlite3)
    kb_library(kanaburst_sqlite platform/sqlite PUBLIC kanaburst_core PkgConfig::SQLITE
        Threads::Threads)
    set(KB_PLATFORM_ONLY kanaburst_tcp kanaburst_mosquitto kanaburst_sqlite)
endif()

# The start-up every program shares and the ways to meet it chooses (app/transports.cpp).
kb_library(kanaburst_app app PUBLIC kanaburst_core kanaburst_record_view kanaburst_replay kanaburst_sdl
    kanaburst_posix kanaburst_script_peer PRIVATE kanaburst_room ${KB_PLATFORM_ONLY})
