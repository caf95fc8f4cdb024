# The window FileFind and its handlers, one folder a subsystem; main.cpp starts it.
vistara_room(vistara_window FOLDERS app search viewing photo player
  SOURCES
    app/captions.h
    app/design.cpp
    app/filefind.cpp
    app/filefind.h
    app/icon.cpp
    app/icon.h
    app/look.h
    app/places.h
    app/returntosearch.cpp
    app/startup.cpp
    app/windowsize.cpp
    app/wiring.cpp
    search/drives.cpp
    search/foundfiles.cpp
    search/foundfiles.h
    search/mediakind.cpp
    search/search.cpp
    viewing/navigation.cpp
    viewing/opening.cpp
    viewing/showall.cpp
    viewing/nofilesmessage.h
    photo/fitpicture.cpp
    photo/fullscreen.cpp
    photo/slideshow.cpp
    photo/stepping.cpp
    player/halfeven.cpp
    player/halfeven.h
    player/panel.cpp
    player/transport.cpp
  LINKS vistara_controls vistara_media vistara_units)

add_executable(vistara main.cpp)
target_link_libraries(vistara PRIVATE vistara_window)
