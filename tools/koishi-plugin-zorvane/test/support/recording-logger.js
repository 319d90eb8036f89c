// A logger that keeps what it is told, for tests that check the log.
'use strict'

function recordingLogger() {
  const lines = []
  const record = (level) => (text) => lines.push(`${level}: ${text}`)
  return {
    lines,
    info: record('info'),
    warn: record('warn'),
    error: record('error'),
    debug: () => {},
    // The lines that contain every one of the parts.
    matching: (...parts) => lines.filter((line) => parts.every((part) => line.includes(part))),
  }
}

module.exports = { recordingLogger }
