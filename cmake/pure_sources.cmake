# The platform-free parts: calendar arithmetic, statistics, text formatting, number text,
# grid geometry and layout sums, relative to the project's root. The program's build and the
# native sanitizer build (tests/native) both take them from here.
set(PURE_SOURCES
  life/calendar_math.cpp life/stats.cpp life/format.cpp
  draw/pure.cpp
  calendar/layout.cpp calendar/flow.cpp
)
