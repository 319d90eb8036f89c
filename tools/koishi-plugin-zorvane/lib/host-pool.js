// Groups spread over a few zorvane-host processes.
//
// The module waits for the riddle site on the caller's thread (up to 30 s a
// page, three pages for a right guess), so one slow page would hold every
// group behind it if all shared one process. Each group always goes to the
// same process: its events and its ledger writes keep their order.
'use strict'

const { HostProcess } = require('./host-process')

class HostPool {
  // options: size, and what HostProcess takes (the label gets the number).
  constructor(options) {
    const size = Math.max(1, Math.floor(options.size || 1))
    this.processes = Array.from(
      { length: size },
      (_, index) => new HostProcess({ ...options, label: `zorvane-host #${index + 1}` }),
    )
  }

  // The process that serves the group (a group number as text).
  processFor(group) {
    return this.processes[processIndex(group, this.processes.length)]
  }

  // The request goes to the process of its group; one without a group to the
  // first process.
  request(body) {
    const process = body.group === undefined ? this.processes[0] : this.processFor(body.group)
    return process.request(body)
  }

  close() {
    return Promise.all(this.processes.map((process) => process.close()))
  }
}

// Group numbers are handed out one after another, so their remainder spreads
// them evenly; any other text goes by a hash of its characters.
function processIndex(group, count) {
  const text = String(group)
  if (/^\d{1,15}$/.test(text)) return Number(text) % count
  let hash = 0
  for (const char of text) hash = (hash * 31 + char.codePointAt(0)) >>> 0
  return hash % count
}

module.exports = { HostPool, processIndex }
