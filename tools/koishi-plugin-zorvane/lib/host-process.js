// One zorvane-host process and the requests that go to it.
//
// The host answers one JSON line for every line it reads, in order. Requests
// go to it one at a time, so that the request it is working on is always
// known: when the process dies or stops answering, that request is dropped
// (logged, answered with null) and the rest of the queue goes to the
// process that takes its place.
'use strict'

const { spawn: spawnProcess } = require('node:child_process')
const readline = require('node:readline')

// A process that ends this soon after its start is restarted only after a
// pause that doubles each time, so that a host that cannot start at all does
// not spin.
const QUICK_END_MS = 2000
const FIRST_PAUSE_MS = 250
const LONGEST_PAUSE_MS = 10000
// How long a closing host may take to finish before it is killed.
const CLOSE_GRACE_MS = 3000

class HostProcess {
  // options: program, args, cwd, timeoutMs (per request), logger (with
  // info/warn/error/debug), label (for the log), spawn (child_process.spawn
  // unless a test hands in another).
  constructor(options) {
    this.program = options.program
    this.args = options.args || []
    this.cwd = options.cwd
    this.timeoutMs = options.timeoutMs
    this.logger = options.logger
    this.label = options.label || 'zorvane-host'
    this.spawn = options.spawn || spawnProcess
    this.queue = []
    this.current = null
    this.child = null
    this.nextId = 1
    this.pauseMs = 0
    this.restartTimer = null
    this.closing = false
  }

  // Answers the request (an object without id) with the host's answer, or
  // with null when the host died or hung on it or the pool is closing.
  request(body) {
    if (this.closing) return Promise.resolve(null)
    return new Promise((resolve) => {
      this.queue.push({ body, resolve })
      this.pump()
    })
  }

  // Ends the process (it exits when its input ends) and answers what is still
  // queued with null.
  async close() {
    this.closing = true
    clearTimeout(this.restartTimer)
    for (const waiting of this.queue.splice(0)) waiting.resolve(null)
    const child = this.child
    if (!child) return
    await new Promise((resolve) => {
      const killer = setTimeout(() => child.kill('SIGKILL'), CLOSE_GRACE_MS)
      child.once('close', () => {
        clearTimeout(killer)
        resolve()
      })
      child.stdin.end()
    })
  }

  pump() {
    if (this.current || this.closing || this.restartTimer) return
    if (!this.child && !this.start()) return
    const next = this.queue.shift()
    if (!next) return
    const id = this.nextId++
    this.current = { ...next, id, timer: setTimeout(() => this.hung(), this.timeoutMs) }
    this.child.stdin.write(JSON.stringify({ id, ...next.body }) + '\n')
  }

  start() {
    let child
    try {
      child = this.spawn(this.program, this.args, {
        cwd: this.cwd,
        stdio: ['pipe', 'pipe', 'pipe'],
        windowsHide: true,
      })
    } catch (error) {
      this.cannotStart(error)
      return false
    }
    this.child = child
    this.startedAt = Date.now()
    child.stdin.on('error', () => {}) // a dead host's pipe: its exit is handled below
    child.on('error', (error) => {
      if (error.code === 'ENOENT' || error.code === 'EACCES') this.cannotStart(error)
    })
    readline.createInterface({ input: child.stdout }).on('line', (line) => this.answer(line))
    readline.createInterface({ input: child.stderr }).on('line', (line) => {
      this.logger.warn(`${this.label}: ${line}`)
    })
    child.on('close', (code, signal) => this.ended(child, code, signal))
    return true
  }

  answer(line) {
    let answer
    try {
      answer = JSON.parse(line)
    } catch {
      this.logger.warn(`${this.label} wrote a line that is not JSON: ${line}`)
      return
    }
    const current = this.current
    if (!current || answer.id !== current.id) {
      this.logger.warn(`${this.label} answered a request it was not asked: ${line}`)
      return
    }
    clearTimeout(current.timer)
    this.current = null
    this.pauseMs = 0
    current.resolve(answer)
    this.pump()
  }

  hung() {
    const current = this.current
    if (!current) return
    this.logger.warn(
      `${this.label} did not answer within ${this.timeoutMs / 1000} s; ` +
        `restarting it, unanswered: ${describe(current.body)}`,
    )
    this.dropCurrent()
    this.child.kill('SIGKILL')
  }

  ended(child, code, signal) {
    if (child !== this.child) return
    this.child = null
    if (this.closing) return
    const how = signal ? `was killed (${signal})` : `ended (exit code ${code})`
    const current = this.current
    if (current) {
      this.logger.warn(`${this.label} ${how}; restarting it, unanswered: ${describe(current.body)}`)
      this.dropCurrent()
    } else {
      this.logger.warn(`${this.label} ${how}; restarting it`)
    }
    this.restartAfterPause(Date.now() - this.startedAt < QUICK_END_MS)
  }

  cannotStart(error) {
    this.logger.error(`cannot start ${this.program}: ${error.message}`)
    this.child = null
    this.dropCurrent()
    // Nothing queued can be answered before the program can be started.
    for (const waiting of this.queue.splice(0)) waiting.resolve(null)
    this.restartAfterPause(true)
  }

  dropCurrent() {
    if (!this.current) return
    clearTimeout(this.current.timer)
    this.current.resolve(null)
    this.current = null
  }

  restartAfterPause(quickly) {
    if (this.restartTimer) return
    this.pauseMs = quickly ? Math.min(Math.max(this.pauseMs * 2, FIRST_PAUSE_MS), LONGEST_PAUSE_MS) : 0
    this.restartTimer = setTimeout(() => {
      this.restartTimer = null
      if (this.closing) return
      if (!this.child) this.start()
      this.pump()
    }, this.pauseMs)
  }
}

// A request as the log shows it: its operation and group, and the message
// cut short.
function describe(body) {
  const parts = [body.op]
  if (body.group !== undefined) parts.push(`group ${body.group}`)
  if (body.member !== undefined) parts.push(`member ${body.member}`)
  if (typeof body.message === 'string') {
    const shown = body.message.length > 40 ? body.message.slice(0, 40) + '…' : body.message
    parts.push(JSON.stringify(shown))
  }
  return parts.join(' ')
}

module.exports = { HostProcess }
