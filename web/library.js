// JavaScript of the program's own, linked into vantaro.js.
mergeInto(LibraryManager.library, {
  // What SDL's own JavaScript calls on and a port of SDL would bring in:
  // linking this brings them in too.
  VantaroSdlNeeds__deps: ['$autoResumeAudioContext', '$dynCall'],
  VantaroSdlNeeds: function() {},
});
