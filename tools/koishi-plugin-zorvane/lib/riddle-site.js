// The riddle site the module reads its riddles from.
//
// The module's site address is compiled into it. When that address is this
// machine, the plug-in runs the bundled site there, serving the game
// folder's riddle collection, with the game folder as the folder its console
// shows. Something else on the port is looked at: another riddle site is
// used as it is; anything else is reported in one line.
'use strict'

const http = require('node:http')
const { spawn: spawnProcess } = require('node:child_process')
const readline = require('node:readline')

const FIRST_PAGE = '/dmmy/19499.html'
const LOCAL_HOSTS = new Set(['127.0.0.1', 'localhost', '[::1]'])
const START_MS = 15000
const PROBE_MS = 3000
const STOP_GRACE_MS = 3000

// 'riddle-site' when base answers with a riddle page, 'none' when nothing
// listens there, 'other' for anything else.
function probeSite(base, timeoutMs = PROBE_MS) {
  return new Promise((resolve) => {
    const request = http.get(base + FIRST_PAGE, { timeout: timeoutMs }, (response) => {
      const chunks = []
      response.on('data', (chunk) => chunks.push(chunk))
      response.on('error', () => resolve('other'))
      response.on('end', () => {
        resolve(isRiddlePage(Buffer.concat(chunks)) ? 'riddle-site' : 'other')
      })
    })
    request.on('timeout', () => request.destroy(new Error('timeout')))
    request.on('error', (error) => resolve(error.code === 'ECONNREFUSED' ? 'none' : 'other'))
  })
}

// A page the module can play: GBK, a question heading, an answer heading.
function isRiddlePage(body) {
  const text = new TextDecoder('gbk').decode(body)
  return text.includes('<h3>') && text.includes('<h3>谜底：')
}

// Starts the bundled site for base, unless something already serves it.
// Resolves to the running site (with stop()), or to null when the plug-in
// runs none; says which in the log.
async function startRiddleSite({ base, program, hostFolder, riddles, logger, spawn = spawnProcess }) {
  const url = new URL(base)
  if (!LOCAL_HOSTS.has(url.hostname)) {
    logger.info(`the module reads its riddles from ${base}, which is not this machine`)
    return null
  }
  const port = url.port || '80'
  const listen = url.hostname === 'localhost' ? '127.0.0.1' : url.hostname.replace(/^\[|\]$/g, '')
  const child = spawn(program, ['--listen', listen, '--port', port, '--host-folder', hostFolder,
    '--riddles', riddles], { stdio: ['ignore', 'pipe', 'pipe'], windowsHide: true })
  const started = await new Promise((resolve) => {
    const lines = []
    const timer = setTimeout(() => resolve({ ok: false, why: 'did not start in time' }), START_MS)
    child.on('error', (error) => resolve({ ok: false, why: error.message }))
    readline.createInterface({ input: child.stdout }).on('line', (line) => {
      if (line.startsWith('listening on ')) {
        clearTimeout(timer)
        resolve({ ok: true })
      }
      logger.debug(`zorvane-site: ${line}`)
    })
    readline.createInterface({ input: child.stderr }).on('line', (line) => {
      lines.push(line)
      logger.debug(`zorvane-site: ${line}`)
    })
    child.on('close', () => {
      clearTimeout(timer)
      resolve({ ok: false, why: lines.join(' ') || 'it ended' })
    })
  })
  if (started.ok) {
    logger.info(`the riddle site serves ${base}; its console: ${base}/console/`)
    child.on('close', (code, signal) => {
      if (!child.stopping) logger.warn(`the riddle site ended (${signal || code})`)
    })
    return { child, stop: () => stopSite(child) }
  }
  child.kill('SIGKILL')
  const there = await probeSite(base)
  if (there === 'riddle-site') {
    logger.info(`a riddle site already serves ${base}; the game uses it`)
  } else if (there === 'other') {
    logger.warn(`${url.host} is taken by a program that is not a riddle site: no riddles until it is free`)
  } else {
    logger.warn(`cannot start the riddle site on ${url.host}: ${started.why}`)
  }
  return null
}

function stopSite(child) {
  child.stopping = true
  if (child.exitCode !== null || child.signalCode !== null) return Promise.resolve()
  return new Promise((resolve) => {
    const killer = setTimeout(() => child.kill('SIGKILL'), STOP_GRACE_MS)
    child.once('close', () => {
      clearTimeout(killer)
      resolve()
    })
    // The site stops cleanly on an interrupt, as on Ctrl-C.
    child.kill('SIGINT')
  })
}

module.exports = { startRiddleSite, probeSite, isRiddlePage }
